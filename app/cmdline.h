// The document path on the command line.
#pragma once

#include <cstddef>

// Takes the path from the text after the program's name: the whole text,
// or, when it begins with a double quote, what follows up to the next
// double quote or the end. Writes it zero-terminated into path (pathSize
// bytes). A path that does not fit gives an empty path and false: it is not
// cut into the name of another file.
bool ParseCommandLine(const char* commandLine, char* path, std::size_t pathSize);
