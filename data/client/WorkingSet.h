#pragma once

namespace qd {

// Gives freed heap memory back to the operating system (after a query opens and after a stored
// procedure runs, so a long import keeps a small working set). Nothing where unsupported.
void trimWorkingSet();

} // namespace qd
