#pragma once

namespace qd {

// Gives freed heap memory back to the operating system, so a long import keeps a small working
// set (called after a query opens and after a stored procedure runs). A trim walks the whole heap
// and unmaps its free pages, which the next rows fault in again: measured, one trim costs more
// than hundreds of rows. So it runs at most once a minute. Nothing where unsupported.
void trimWorkingSet();

} // namespace qd
