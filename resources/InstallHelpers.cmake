# Included by the install script (cmake --install, CPack), where
# CMAKE_INSTALL_PREFIX is the prefix being installed to and DESTDIR, if set,
# the staging root in front of it. Destinations are relative to the prefix.

function(_pindel_installed_path out relative)
    if(IS_ABSOLUTE "${relative}")
        set(path "${relative}")
    else()
        set(path "${CMAKE_INSTALL_PREFIX}/${relative}")
    endif()
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

function(_pindel_write_installed path content)
    set(staged "$ENV{DESTDIR}${path}")
    message(STATUS "Installing: ${staged}")
    get_filename_component(dir "${staged}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(WRITE "${staged}" "${content}")
    # Readable by all whatever the installing user's umask.
    file(CHMOD "${staged}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${staged}" PARENT_SCOPE)
endfunction()

# The desktop entry with Exec naming the program by its full path under the
# prefix being installed to: a launcher then starts it even when that bin
# folder is not on PATH (an install under ~/.local before the next login).
function(pindel_install_desktop_entry source destination bindir)
    _pindel_installed_path(program "${bindir}/orbo")
    _pindel_installed_path(dir "${destination}")
    get_filename_component(name "${source}" NAME)
    if(program MATCHES "\n")
        message(FATAL_ERROR "A desktop entry cannot name a program whose path holds a line break: ${program}")
    endif()
    # Exec quoting: a path with a reserved character is put in double quotes,
    # in which " ` $ and backslash take a backslash; then the value's own
    # escaping doubles every backslash, and a literal % is written %%.
    set(exec "${program}")
    string(REGEX MATCH "[] \t\"'\\><~|&;$*?#()`[]" reserved "${exec}")
    if(reserved)
        string(REGEX REPLACE "([\"`$\\])" "\\\\\\1" exec "${exec}")
        set(exec "\"${exec}\"")
    endif()
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "%" "%%" exec "${exec}")
    file(READ "${source}" content)
    # The entry's arguments after the program (the menu's --open) stay.
    string(REGEX MATCH "\nExec=orbo( [^\n]*)?\n" line "${content}")
    if(NOT line)
        message(FATAL_ERROR "${source} has no line Exec=orbo to complete")
    endif()
    string(REPLACE "${line}" "\nExec=${exec}${CMAKE_MATCH_1}\n" content "${content}")
    _pindel_write_installed("${dir}/${name}" "${content}")
    set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} PARENT_SCOPE)
endfunction()

# A file compressed as Debian wants manual pages and changelogs: gzip -9
# without name or time stamp, so the same input gives the same bytes.
function(pindel_install_gzipped source destination gzip)
    _pindel_installed_path(dir "${destination}")
    get_filename_component(name "${source}" NAME)
    set(target "${dir}/${name}.gz")
    set(staged "$ENV{DESTDIR}${target}")
    message(STATUS "Installing: ${staged}")
    file(MAKE_DIRECTORY "$ENV{DESTDIR}${dir}")
    execute_process(COMMAND "${gzip}" -9 -n -c "${source}" OUTPUT_FILE "${staged}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip ${source} to ${staged}: ${failed}")
    endif()
    file(CHMOD "${staged}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${staged}" PARENT_SCOPE)
endfunction()
