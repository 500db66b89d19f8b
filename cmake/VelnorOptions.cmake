# The maker's four web addresses: scheme and host, an optional port, no path, no trailing
# slash. The defaults are reserved names that reach no one; set them when deploying.
set(VELNOR_WEB_ADDRESS_1 "http://www.brantel.example" CACHE STRING "Main site; the address page is this plus /Velnor/")
set(VELNOR_WEB_ADDRESS_2 "http://brantel.example" CACHE STRING "Second web address of the report")
set(VELNOR_WEB_ADDRESS_3 "http://www.brantel-software.example" CACHE STRING "Third web address of the report")
set(VELNOR_WEB_ADDRESS_4 "http://downloads.brantel.example" CACHE STRING "Fourth web address of the report")

foreach(n RANGE 1 4)
    set(address "${VELNOR_WEB_ADDRESS_${n}}")
    if(NOT address MATCHES "^https?://[A-Za-z0-9._~%-]+(:[0-9]+)?$"
       AND NOT address MATCHES "^https?://\\[[0-9A-Fa-f:.]+\\](:[0-9]+)?$")
        message(FATAL_ERROR
            "VELNOR_WEB_ADDRESS_${n} is \"${address}\": expected http:// or https://, a host, "
            "an optional :port, and no path or trailing slash")
    endif()
endforeach()
