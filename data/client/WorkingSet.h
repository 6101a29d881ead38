#pragma once

namespace qd {

// Gives freed heap memory back to the operating system, so a long import keeps a small working
// set (called after a query opens and after a stored procedure runs). A trim unmaps memory the
// next rows will need again, so it runs at most once every five seconds: a per-row trim would cost more
// than the row itself. Nothing where unsupported.
void trimWorkingSet();

} // namespace qd
