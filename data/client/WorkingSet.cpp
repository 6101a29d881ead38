#include "WorkingSet.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace qd {

void trimWorkingSet() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace qd
