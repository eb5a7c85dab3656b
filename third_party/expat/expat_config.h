/* Build settings of the bundled expat, for the compilers the project uses
   (GCC, Clang, MinGW-w64, MSVC), all little-endian. */
#ifndef EXPAT_CONFIG_H
#define EXPAT_CONFIG_H 1

#define BYTEORDER 1234
#define HAVE_STDINT_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define HAVE_MEMMOVE 1
#define XML_CONTEXT_BYTES 1024
#define XML_DTD 1
#define XML_NS 1

#if defined(__linux__)
#  define HAVE_GETRANDOM 1
#endif
#if ! defined(_WIN32)
#  define HAVE_UNISTD_H 1
#  define XML_DEV_URANDOM 1
#endif

#endif
