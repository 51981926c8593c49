# The XML library's URL fetcher answered by the program
# (framework/workbook/url_fetch/curl_stand_in.c) instead of libcurl, which
# would bring its TLS, Kerberos, LDAP and SSH libraries into the trainer.
#
# Used only when the XML library links to libcurl and to no libcurl call the
# stand-in lacks; otherwise the library keeps its own libcurl. Sets
# KVARLOP_URL_FETCH to the stand-in's target, or to nothing.

set(KVARLOP_URL_FETCH "")
set(_source ${CMAKE_SOURCE_DIR}/framework/workbook/url_fetch/curl_stand_in.c)
get_filename_component(_xml_library "${pkgcfg_lib_XERCES_xerces-c}" REALPATH)
execute_process(COMMAND ${CMAKE_OBJDUMP} -p -T ${_xml_library}
                OUTPUT_VARIABLE _dump RESULT_VARIABLE _failed ERROR_QUIET)
string(REGEX MATCH "NEEDED +(libcurl[^ \n]*\\.so[^ \n]*)" _needed "${_dump}")
set(_soname "${CMAKE_MATCH_1}")

if(_failed OR _soname STREQUAL "")
    message(STATUS "URL fetcher: the XML library needs no libcurl")
    return()
endif()

# The calls the library makes, each with the version it asks for.
string(REGEX MATCHALL "\\*UND\\*[^\n]*[ )]curl_[a-z_]+" _uses "${_dump}")
file(READ ${_source} _text)
string(REGEX MATCHALL "curl_[a-z_]+\\(" _defined "${_text}")
set(_versions "")
set(_missing "")
foreach(_use IN LISTS _uses)
    string(REGEX MATCH "curl_[a-z_]+$" _name "${_use}")
    if(_use MATCHES "\\(([A-Za-z0-9_.]+)\\)")
        list(APPEND _versions ${CMAKE_MATCH_1})
    endif()
    list(FIND _defined "${_name}(" _at)
    if(_at EQUAL -1)
        list(APPEND _missing ${_name})
    endif()
endforeach()
list(REMOVE_DUPLICATES _versions)
list(LENGTH _versions _version_count)
if(_missing OR _version_count GREATER 1)
    message(STATUS "URL fetcher: ${_soname} kept (the XML library also calls: ${_missing})")
    return()
endif()

set(_script ${CMAKE_BINARY_DIR}/generated/url_fetch.map)
file(CONFIGURE OUTPUT ${_script}
     CONTENT "${_versions} {\n    global: curl_*;\n    local: *;\n};\n")
add_library(kvarlop_url_fetch SHARED ${_source})
set_target_properties(kvarlop_url_fetch PROPERTIES
    PREFIX "" OUTPUT_NAME "${_soname}" SUFFIX "" NO_SONAME ON
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
    LINK_DEPENDS ${_script})
target_link_options(kvarlop_url_fetch PRIVATE
    "LINKER:-soname,${_soname}" "LINKER:--version-script=${_script}")
set(KVARLOP_URL_FETCH kvarlop_url_fetch)
message(STATUS "URL fetcher: ${_soname} answered by the program")
