#pragma once
// Everything written so far to a C stream (a tmpfile() that stood in for stderr or stdout).

#include <QString>
#include <cstdio>

namespace qd::test {

QString readStream(std::FILE* f);

} // namespace qd::test
