// testfolder: a new, empty folder for one test inside the test program's own temporary folder
// (QV_HOME, which the shared main removes when the program ends).
#pragma once

#include <string>

// "<QV_HOME>/<stem>-XXXXXX", made with mkdtemp; "" when it cannot be made.
std::string MakeTestFolder(char const* stem);
