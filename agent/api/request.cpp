#include "agent/api/request.h"

#include <atomic>

namespace pw::agent {

Request Request::create()
{
    static std::atomic<int> next_id{1};
    Request r;
    r.d_ = std::make_shared<Data>();
    r.d_->id = next_id.fetch_add(1);
    return r;
}

}  // namespace pw::agent
