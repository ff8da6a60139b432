#include "engine/branch_block.h"

#include "engine/script_error.h"
#include "engine/script_run.h"

namespace pw::engine {

using script::Keyword;

int first_branch_line(const QList<script::ScriptLine>& lines)
{
    for (int k = 0; k < lines.size(); ++k) {
        const Keyword kw = lines[k].keyword;
        if (kw == Keyword::if_ || kw == Keyword::elseif || kw == Keyword::else_
            || kw == Keyword::endif)
            return k;
    }
    return -1;
}

QList<int> scan_branch_block(const QList<script::ScriptLine>& lines, int first)
{
    QList<int> entries{first};
    auto append = [&entries](int k) {
        if (entries.size() >= ScriptRun::max_branch_lines)
            throw ScriptError(QStringLiteral("The if block has too many branches."));
        entries.append(k);
    };
    for (int k = qMax(first, 0); k < lines.size(); ++k) {
        const Keyword kw = lines[k].keyword;
        if (kw == Keyword::elseif || kw == Keyword::else_) {
            append(k);
        } else if (kw == Keyword::endif) {
            append(k);
            return entries;
        }
    }
    entries.resize(ScriptRun::max_branch_lines, 0);
    return entries;
}

}  // namespace pw::engine
