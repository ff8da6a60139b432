// Anchor for the desktop platform library, so it exists before its first real layer.
namespace pw::platform { int desktop_library_anchor = 0; }
