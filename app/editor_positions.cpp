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

}  // namespace pw::app
