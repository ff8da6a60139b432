#include "engine/statement_table.h"

#include "engine/statement_handlers.h"

namespace pw::engine {

StatementHandler handler_for(script::Keyword keyword)
{
    using script::Keyword;
    namespace s = statements;
    switch (keyword) {
    case Keyword::sequential: return s::sequential;
    case Keyword::report: return s::report;
    case Keyword::if_: return s::if_block;
    case Keyword::endif: return s::nothing;
    case Keyword::elseif: return s::nothing;
    case Keyword::else_: return s::nothing;
    case Keyword::waitfor: return s::waitfor;
    case Keyword::timeout: return s::timeout;
    case Keyword::do_: return s::do_block;
    case Keyword::loop: return s::loop;
    case Keyword::tickle: return s::tickle;
    case Keyword::sound: return s::sound;
    case Keyword::shell: return s::shell;
    case Keyword::speak: return s::speak;
    case Keyword::show: return s::show;
    case Keyword::load: return s::load;
    case Keyword::unload: return s::unload;
    case Keyword::stopmoving: return s::stopmoving;
    case Keyword::hide: return s::hide;
    case Keyword::moveto: return s::moveto;
    case Keyword::pause: return s::pause;
    case Keyword::charpos: return s::charpos;
    case Keyword::charsize: return s::charsize;
    case Keyword::interval: return s::interval;
    case Keyword::goto_: return s::goto_label;
    case Keyword::comment: return s::nothing;
    case Keyword::listen: return s::listen;
    case Keyword::empty: return s::nothing;
    case Keyword::label: return s::nothing;
    case Keyword::animation: return s::animation;
    }
    return s::animation;
}

bool ends_its_own_line(script::Keyword keyword)
{
    using script::Keyword;
    switch (keyword) {
    case Keyword::speak:
    case Keyword::show:
    case Keyword::load:
    case Keyword::unload:
    case Keyword::hide:
    case Keyword::moveto:
    case Keyword::animation:
    case Keyword::waitfor:
    case Keyword::shell: return false;
    default: return true;
    }
}

}  // namespace pw::engine
