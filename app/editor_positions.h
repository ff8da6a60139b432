#pragma once
// The script is CR LF text to the runner, while the editor's document keeps one
// separator between lines. These map positions between the two: a line break is two
// characters in the script text and one in the document.

#include <QString>

class QTextDocument;

namespace pw::app {

// The document's text with CR LF between its lines, characters kept as they are.
QString crlf_text(const QTextDocument& document);

// A position in the CR LF text as a document position. A position between the CR and
// the LF of a break lands after the break. Out-of-range positions are clamped.
int to_document_position(const QTextDocument& document, int crlf_position);
int to_crlf_position(const QTextDocument& document, int document_position);

}  // namespace pw::app
