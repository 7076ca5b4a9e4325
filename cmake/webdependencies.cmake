# The page's libraries for reading scores, built by emscripten from Debian 12's own sources:
# a WebAssembly module cannot link the machine's compiled libraries. scripts/web-sources.sh
# fetches the sources with apt-get source (nothing is downloaded from anywhere else). The targets
# carry the native build's names (cmake/dependencies.cmake), so the core links them alike.
if(NOT EMSCRIPTEN)
    return()
endif()

set(TUNEDECK_WEB_SOURCES "${CMAKE_BINARY_DIR}/sources" CACHE PATH
    "Debian's sources of pugixml, zlib and minizip for the page (scripts/web-sources.sh fetches them)")
if(NOT EXISTS "${TUNEDECK_WEB_SOURCES}/minizip/.tunedeck-version")
    # A fresh build folder fetches them once; the script is quiet when they are there.
    get_filename_component(web_sources_base "${TUNEDECK_WEB_SOURCES}" DIRECTORY)
    execute_process(COMMAND "${PROJECT_SOURCE_DIR}/scripts/web-sources.sh" "${web_sources_base}"
        RESULT_VARIABLE web_sources_failed)
    if(web_sources_failed)
        message(FATAL_ERROR "The page's library sources are missing: scripts/web-sources.sh failed")
    endif()
endif()
foreach(package pugixml zlib minizip)
    file(READ "${TUNEDECK_WEB_SOURCES}/${package}/.tunedeck-version" version)
    string(STRIP "${version}" version)
    message(STATUS "The page's ${package}: Debian's ${version}")
endforeach()

# The headers as the native packages install them: zlib.h at the top, minizip's in minizip/
# (and that folder itself, as pkg-config's minizip names it), pugixml's at the top.
set(web_include "${CMAKE_BINARY_DIR}/webdeps-include")
file(COPY "${TUNEDECK_WEB_SOURCES}/zlib/zlib.h" "${TUNEDECK_WEB_SOURCES}/zlib/zconf.h"
    "${TUNEDECK_WEB_SOURCES}/pugixml/src/pugixml.hpp" "${TUNEDECK_WEB_SOURCES}/pugixml/src/pugiconfig.hpp"
    DESTINATION "${web_include}")
file(COPY "${TUNEDECK_WEB_SOURCES}/minizip/" DESTINATION "${web_include}/minizip" FILES_MATCHING
    PATTERN "*.h" PATTERN "iowin32.h" EXCLUDE PATTERN "debian" EXCLUDE)

# Third-party code: built as Debian builds it, without our warnings.
set(zlib_dir "${TUNEDECK_WEB_SOURCES}/zlib")
add_library(tunedeck_web_zlib STATIC)
foreach(unit adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees
        uncompr zutil)
    target_sources(tunedeck_web_zlib PRIVATE "${zlib_dir}/${unit}.c")
endforeach()
# As zlib's configure sets them on Linux.
target_compile_definitions(tunedeck_web_zlib PRIVATE HAVE_UNISTD_H HAVE_STDARG_H _LARGEFILE64_SOURCE=1)
target_compile_options(tunedeck_web_zlib PRIVATE -w)
target_include_directories(tunedeck_web_zlib PUBLIC "${web_include}")

set(minizip_dir "${TUNEDECK_WEB_SOURCES}/minizip")
add_library(tunedeck_web_minizip STATIC "${minizip_dir}/ioapi.c" "${minizip_dir}/mztools.c"
    "${minizip_dir}/unzip.c" "${minizip_dir}/zip.c")
target_compile_options(tunedeck_web_minizip PRIVATE -w)
target_include_directories(tunedeck_web_minizip PUBLIC "${web_include}" "${web_include}/minizip")
target_link_libraries(tunedeck_web_minizip PUBLIC tunedeck_web_zlib)

add_library(tunedeck_web_pugixml STATIC "${TUNEDECK_WEB_SOURCES}/pugixml/src/pugixml.cpp")
target_compile_options(tunedeck_web_pugixml PRIVATE -w)
target_include_directories(tunedeck_web_pugixml PUBLIC "${web_include}")

add_library(tunedeck_pugixml INTERFACE)
target_link_libraries(tunedeck_pugixml INTERFACE tunedeck_web_pugixml)
add_library(tunedeck_minizip INTERFACE)
target_link_libraries(tunedeck_minizip INTERFACE tunedeck_web_minizip)
