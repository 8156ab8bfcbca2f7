# The build holds the layers: each module compiles against the headers of the
# modules it may use and no others, so an include the wrong way (cards reaching
# into import, the Win32 toolkit into the program's logic) fails to build
# instead of waiting for a reviewer to notice.
#
# A module's headers are reached through an include root of its own in the
# build tree that holds symbolic links to its source folder, or to its single
# headers where two modules share a folder (the ports and src/platform/win32;
# the Win32 toolkit and the adapters of the ports). A target that links the
# module gets its root with it, and nothing else of src/.
#
# Windows lets a program make symbolic links only with Developer Mode on or
# with administrator rights, so an MSVC or MSYS2 build may not be able to. It
# then falls back to src/ as every module's include root: the program builds
# the same, but only the builds that can make links (the Linux ones, which run
# every test) hold the layers.

set(QUORVANE_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include_roots)

# Empties FOLDER of the links in it and below it, one by one: a link is
# removed itself, never what it points to (the sources).
function(quorvane_remove_links folder)
    file(GLOB entries LIST_DIRECTORIES true ${folder}/*)
    foreach(entry ${entries})
        if(IS_SYMLINK ${entry})
            file(REMOVE ${entry})
        elseif(IS_DIRECTORY ${entry})
            quorvane_remove_links(${entry})
            file(REMOVE_RECURSE ${entry})
        endif()
    endforeach()
endfunction()

# Made afresh at each configure, so that a header moved to another module is
# no longer reachable through the old one.
quorvane_remove_links(${QUORVANE_INCLUDE_ROOTS})
file(MAKE_DIRECTORY ${QUORVANE_INCLUDE_ROOTS})
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src ${QUORVANE_INCLUDE_ROOTS}/link_check
    RESULT link_check SYMBOLIC)
if(link_check STREQUAL "0")
    set(QUORVANE_LAYERS_HELD ON)
    file(REMOVE ${QUORVANE_INCLUDE_ROOTS}/link_check)
else()
    set(QUORVANE_LAYERS_HELD OFF)
    message(STATUS "No symbolic links here (${link_check}): every module includes from src/, "
        "and a wrong-way include is not caught by this build")
endif()

# Gives TARGET its include root, holding PATHS (relative to src/: a module's
# folder, or single headers), with SCOPE (PUBLIC, or INTERFACE for a module
# of headers alone).
function(quorvane_include_root target scope)
    if(NOT QUORVANE_LAYERS_HELD)
        target_include_directories(${target} ${scope} ${CMAKE_SOURCE_DIR}/src)
        return()
    endif()
    set(root ${QUORVANE_INCLUDE_ROOTS}/${target})
    foreach(path ${ARGN})
        get_filename_component(folder ${root}/${path} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${path} ${root}/${path} RESULT made SYMBOLIC)
        if(NOT made STREQUAL "0")
            message(FATAL_ERROR "Cannot link ${root}/${path}: ${made}")
        endif()
    endforeach()
    target_include_directories(${target} ${scope} ${root})
endfunction()

# The headers directly in src/FOLDER, relative to src/, for the include root
# of a module that shares its folder; a header added there is linked at the
# next build.
function(quorvane_headers_in out folder)
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/src
        ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
    set(${out} ${headers} PARENT_SCOPE)
endfunction()
