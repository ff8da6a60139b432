#pragma once
// The script is CR LF text to the runner, while the editor's document keeps one
// separator between lines.

#include <QString>

class QTextDocument;

namespace pw::app {

// The document's text with CR LF between its lines, characters kept as they are.
QString crlf_text(const QTextDocument& document);

}  // namespace pw::app
