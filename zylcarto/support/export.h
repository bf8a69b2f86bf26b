#pragma once
/// @file
/// ZYLCARTO_EXPORT marks what the shared libraries offer a host. They are built
/// with hidden visibility, so a class, function or variable without it stays
/// internal. Mark every class of an installed header that has a member defined in
/// a .cpp file or a virtual function, every function not defined in the header,
/// and every extern variable. On Windows it exports while the library is built
/// (ZYLCARTO_BUILDING) and imports in a host.
#if defined(_WIN32)
#if defined(ZYLCARTO_BUILDING)
#define ZYLCARTO_EXPORT __declspec(dllexport)
#else
#define ZYLCARTO_EXPORT __declspec(dllimport)
#endif
#else
/// Default visibility for what a host may use (the macro of the file description).
#define ZYLCARTO_EXPORT __attribute__((visibility("default")))
#endif
