#include "app/editor_positions.h"

#include <QTextBlock>
#include <QTextDocument>

namespace pw::app {

QString crlf_text(const QTextDocument& document)
{
    QString out;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        if (b != document.begin()) out += QStringLiteral("\r\n");
        out += b.text();
    }
    return out;
}

int to_document_position(const QTextDocument& document, int crlf_position)
{
    if (crlf_position <= 0) return 0;
    // Each block before the one holding the position adds one extra character (the
    // CR) to the CR LF text.
    int extra = 0;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        const int block_start = b.position() + extra;        // in CR LF terms
        const int block_end = block_start + b.length() - 1;  // where its CR stands
        if (crlf_position <= block_end || !b.next().isValid())
            return qMin(b.position() + (crlf_position - block_start), b.position() + b.length() - 1);
        if (crlf_position <= block_end + 1) return b.next().position();  // between CR and LF
        ++extra;
    }
    return 0;
}

int to_crlf_position(const QTextDocument& document, int document_position)
{
    if (document_position <= 0) return 0;
    const QTextBlock block = document.findBlock(document_position);
    if (!block.isValid()) {
        const QTextBlock last = document.lastBlock();
        return last.position() + last.length() - 1 + last.blockNumber();
    }
    return document_position + block.blockNumber();
}

}  // namespace pw::app
