// testfolder: a new, empty folder for one test inside the test program's own temporary folder
// (QV_HOME, which the shared main removes when the program ends).
#pragma once

#include <string>

// "<QV_HOME>/<stem>-XXXXXX", made with mkdtemp (QV_HOME too, should it have gone). A test
// program that cannot make one stops with a message: a caller falling back to a shared
// folder such as /tmp would later empty it.
std::string MakeTestFolder(char const* stem);
