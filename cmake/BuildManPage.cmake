# SPDX-License-Identifier: GPL-3.0-or-later
# Builds one manual page, run by the build as
#   cmake -DSCDOC=... -DSOURCE=page.1.scd -DOUTPUT=page.1.gz -DDATE_EPOCH=... -DVERSION=...
#         [-DCJK=ON] -P BuildManPage.cmake
# The source's @QUARNIX_VERSION@ becomes VERSION; scdoc turns the source into
# roff, dated DATE_EPOCH so that the page is the
# same at every build; a Chinese page loads groff's zh macros, which let a line
# break between two Chinese characters. The page is compressed with gzip -9n.

cmake_minimum_required(VERSION 3.25)

foreach(var IN ITEMS SCDOC SOURCE OUTPUT DATE_EPOCH VERSION)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

set(ENV{SOURCE_DATE_EPOCH} ${DATE_EPOCH})
file(READ ${SOURCE} text)
string(REPLACE "@QUARNIX_VERSION@" "${VERSION}" text "${text}")
string(REGEX REPLACE "\\.gz$" ".scd" versioned "${OUTPUT}")
file(WRITE ${versioned} "${text}")
execute_process(
    COMMAND ${SCDOC}
    INPUT_FILE ${versioned}
    OUTPUT_VARIABLE roff
    ERROR_VARIABLE errors
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "scdoc failed on ${SOURCE}:\n${errors}")
endif()

if(CJK)
    string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.mso zh.tmac\n" roff "${roff}")
endif()

string(REGEX REPLACE "\\.gz$" "" uncompressed "${OUTPUT}")
file(WRITE ${uncompressed} "${roff}")
execute_process(
    COMMAND gzip -9nf ${uncompressed}
    ERROR_VARIABLE errors
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${uncompressed}:\n${errors}")
endif()
