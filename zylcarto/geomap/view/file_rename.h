#pragma once
// Renaming a map's image file without ever replacing a file it did not write.
#include <string>

namespace zylcarto {

// The new name RenameMapImg gives the image Current: the folder and extension of
// Current around the file name of Name, its folder and extension stripped first
// and then reduced to the characters of 8.3 names. Empty when nothing is left.
std::string RenamedImageName(const std::string& Current, const std::string& Name);

// Renames From to To; false, with nothing changed, when To already exists (as
// another file) or the rename fails. Renaming a file to itself succeeds.
bool RenameWithoutReplacing(const std::string& From, const std::string& To);

}  // namespace zylcarto
