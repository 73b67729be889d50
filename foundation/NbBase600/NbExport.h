#pragma once
// Symbol export for the shared library. Every class of the library and of the
// foundation layer linked into it is declared with NBPS_API so that hosts can
// use it; on Windows this yields a correct DLL import/export table, elsewhere
// default visibility on top of a hidden-by-default build.
#if defined(_WIN32) || defined(__CYGWIN__)
#  if defined(NBPS_BUILDING)
#    define NBPS_API __declspec(dllexport)
#  elif defined(NBPS_STATIC)
#    define NBPS_API
#  else
#    define NBPS_API __declspec(dllimport)
#  endif
#  define NBPS_TEMPLATE_API NBPS_API
#else
#  define NBPS_API __attribute__((visibility("default")))
#  define NBPS_TEMPLATE_API NBPS_API
#endif
