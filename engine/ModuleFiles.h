#pragma once
// Where the module's own files live (Excel.ini, the incidence files).
//
// They go to the program's folder, beside the executable and the help files, when that folder
// is writable. When it is not (an installed program), Excel.ini goes to the user's
// configuration folder and the other files to the user's data folder, each created on demand.
// The folder can be fixed for tests and special setups, by setModuleDirOverride() or by the
// environment variable QD_MODULE_DIR (the setter wins).

#include <QString>

namespace qd {

enum class ModuleFileKind { Config, Data };

// The full path of the module file `name`. The kind chooses the fallback folder; the overload
// without it takes Config for names ending in ".ini" and Data otherwise.
QString moduleFilePath(const QString& name);
QString moduleFilePath(const QString& name, ModuleFileKind kind);

// The folder moduleFilePath() uses for a kind (created when it is a fallback folder).
QString moduleDir(ModuleFileKind kind);

// Fixes the folder of every module file; an empty text removes the override.
void setModuleDirOverride(const QString& dir);

} // namespace qd
