#pragma once

// TBaseLRep's handlers run under the shared guard, then show the frame's
// state afresh; the frame's source files share this.

#include "reports/baselrep.h"
#include "widgets/guard.h"

#include <utility>

namespace pelanova {

template <typename F>
void TBaseLRep::guarded(F &&f)
{
    guard(m_boxes, std::forward<F>(f));
    updateActions();
    refreshImage();
}

} // namespace pelanova
