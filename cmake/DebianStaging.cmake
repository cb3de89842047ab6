# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack once the project is installed into the staging folder of the
# Debian package (CPACK_PRE_BUILD_SCRIPTS), never by `cmake --install`:
# - strips the programs as Debian's own packages are stripped, without the
#   .comment and .note sections;
# - adds the Debian copyright file, the Debian changelog compressed with
#   gzip -9n, and the package's lintian overrides.

set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc_dir "${root}/share/doc/${CPACK_PACKAGE_NAME}")
set(debian "${CPACK_QUARNIX_DEBIAN_DIR}")

file(GLOB programs "${root}/bin/*")
foreach(program IN LISTS programs)
    execute_process(
        COMMAND "${CPACK_QUARNIX_STRIP}" --remove-section=.comment --remove-section=.note
                --strip-unneeded "${program}"
        ERROR_VARIABLE errors
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "strip failed on ${program}: ${errors}")
    endif()
endforeach()

file(MAKE_DIRECTORY "${doc_dir}")
execute_process(
    COMMAND gzip -9nc "${debian}/changelog"
    OUTPUT_FILE "${doc_dir}/changelog.Debian.gz"
    ERROR_VARIABLE errors
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip failed on the Debian changelog: ${errors}")
endif()

# Plain copies: file(INSTALL) would put them under DESTDIR, the staging folder, again.
set(overrides_dir "${root}/share/lintian/overrides")
file(MAKE_DIRECTORY "${overrides_dir}")
file(COPY_FILE "${debian}/copyright" "${doc_dir}/copyright")
file(COPY_FILE "${debian}/lintian-overrides" "${overrides_dir}/${CPACK_PACKAGE_NAME}")
file(CHMOD "${doc_dir}/changelog.Debian.gz" "${doc_dir}/copyright"
     "${overrides_dir}/${CPACK_PACKAGE_NAME}"
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
