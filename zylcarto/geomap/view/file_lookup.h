#pragma once
/// @file
/// Finding an existing file whose name matches a given one except for case:
/// the calibration file stores map names in lower case, and folders on this
/// platform tell the cases apart. Pure functions of the file system, safe from
/// any thread; they never raise.
#include <string>

namespace zylcarto {

/// Path itself when it exists; else the existing path that equals it ignoring
/// ASCII case, component by component (the first match in each folder); else empty.
std::string FindFileIgnoringCase(const std::string& Path);

/// Name read from a form saved in Folder: an absolute or empty Name, or an empty
/// Folder, leaves it as it is; a relative Name is taken within Folder, and that
/// found ignoring case as FindFileIgnoringCase does when it exists.
std::string FileInFolder(const std::string& Name, const std::string& Folder);

/// The image that the calibration file CalFileName names as ImageName: the file of
/// that name beside the calibration file when there is one, since a map moves with
/// its folder (a generated map names its image with the folder it was made in),
/// else ImageName as written; ImageName too when both are the same file.
/// CalFileName may also be a folder with its trailing separator; a name without a
/// folder lies in the working directory; empty: not read from a file.
std::string MapImageBesideCalibration(const std::string& ImageName, const std::string& CalFileName);

}  // namespace zylcarto
