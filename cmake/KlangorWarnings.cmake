# SPDX-License-Identifier: GPL-3.0-or-later
# Compiler warnings, set per target and per compiler rather than for the whole directory tree.
# KLANGOR_WERROR turns every warning into an error (CI builds with it: the build is kept at zero
# warnings).

option(KLANGOR_WERROR "Treat compiler warnings as errors" OFF)

function(klangor_warnings target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra)
        if(KLANGOR_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
    elseif(MSVC)
        target_compile_options(${target} PRIVATE /W4)
        if(KLANGOR_WERROR)
            target_compile_options(${target} PRIVATE /WX)
        endif()
    endif()
endfunction()

# Gives every compiled target defined in `dir` and below its warnings.
function(klangor_warnings_for_tree dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
            klangor_warnings(${target})
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        klangor_warnings_for_tree(${subdir})
    endforeach()
endfunction()
