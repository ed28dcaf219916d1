# utf8proc, the text layer's Unicode (categories, case mappings, normalisation, grapheme breaks),
# as the target utf8proc::utf8proc. Two ways to it, one release (2.8.0, Unicode 15.0):
# - VELMORA_UTF8PROC_URL set (the default on Apple's platforms): the source archive at that URL,
#   checked against the pinned SHA-256, built here as a static library of our own from its one
#   source file, for every architecture of the build. Its own CMakeLists is not used (it asks for
#   a CMake older than CMake 4 accepts). A Mac's app then needs nothing from Homebrew to run.
# - empty (the default elsewhere): the system's library (Debian: libutf8proc-dev).
set(velmora_utf8proc_pinned_url
    "https://github.com/JuliaStrings/utf8proc/archive/refs/tags/v2.8.0.tar.gz")
# Also the SHA-256 of Debian's utf8proc_2.8.0.orig.tar.gz: the same bytes.
set(velmora_utf8proc_sha256 a0a60a79fe6f6d54e7d411facbfcc867a6e198608f2cd992490e46f04b1bcecc)
set(velmora_utf8proc_default_url "")
if(APPLE)
  set(velmora_utf8proc_default_url "${velmora_utf8proc_pinned_url}")
endif()
set(VELMORA_UTF8PROC_URL "${velmora_utf8proc_default_url}" CACHE STRING
    "Build utf8proc 2.8.0 from this source archive (its SHA-256 is checked; a file:// URL serves); empty: use the system's library")

if(VELMORA_UTF8PROC_URL)
  enable_language(C)
  include(FetchContent)
  # SOURCE_SUBDIR names no directory of the archive: fetched and checked, never configured.
  FetchContent_Declare(velmora_utf8proc_source
    URL "${VELMORA_UTF8PROC_URL}"
    URL_HASH SHA256=${velmora_utf8proc_sha256}
    DOWNLOAD_EXTRACT_TIMESTAMP TRUE
    SOURCE_SUBDIR velmora-sources-only)
  FetchContent_MakeAvailable(velmora_utf8proc_source)
  # utf8proc.c includes utf8proc_data.c, its tables.
  add_library(velmora_utf8proc STATIC ${velmora_utf8proc_source_SOURCE_DIR}/utf8proc.c)
  target_compile_definitions(velmora_utf8proc PUBLIC UTF8PROC_STATIC)
  target_include_directories(velmora_utf8proc SYSTEM PUBLIC ${velmora_utf8proc_source_SOURCE_DIR})
  set_target_properties(velmora_utf8proc PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF)
  add_library(utf8proc::utf8proc ALIAS velmora_utf8proc)
else()
  find_path(VELMORA_UTF8PROC_INCLUDE_DIR utf8proc.h)
  find_library(VELMORA_UTF8PROC_LIBRARY utf8proc)
  if(NOT VELMORA_UTF8PROC_INCLUDE_DIR OR NOT VELMORA_UTF8PROC_LIBRARY)
    message(FATAL_ERROR "utf8proc was not found. Install it with: apt-get install libutf8proc-dev "
                        "(Debian, Ubuntu), or build it from source with -DVELMORA_UTF8PROC_URL="
                        "${velmora_utf8proc_pinned_url}\n"
                        "scripts/install-deps.sh installs everything the build needs.")
  endif()
  add_library(utf8proc::utf8proc UNKNOWN IMPORTED)
  set_target_properties(utf8proc::utf8proc PROPERTIES
    IMPORTED_LOCATION "${VELMORA_UTF8PROC_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${VELMORA_UTF8PROC_INCLUDE_DIR}")
endif()
