# Run by CPack on the staged files before it packs them.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(binary IN LISTS staged)
    execute_process(COMMAND objcopy --remove-section=.comment ${binary} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
