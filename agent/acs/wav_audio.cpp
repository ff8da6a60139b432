#include "agent/acs/wav_audio.h"
// Implementation follows with the file-format work.
