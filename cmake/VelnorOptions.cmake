# The maker's four web addresses: scheme and host, an optional port, no path, no trailing
# slash. The defaults are reserved names that reach no one; set them when deploying.
set(VELNOR_DEFAULT_WEB_ADDRESS_1 "http://www.brantel.example")
set(VELNOR_WEB_ADDRESS_1 "${VELNOR_DEFAULT_WEB_ADDRESS_1}" CACHE STRING "Main site; the address page is this plus /Velnor/")
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

# Without a main site of its own (address 1 left at its default) the build has no address page:
# these STUN servers tell the external address instead ("host:port;host:port"; empty: none, and
# the Internet address reads "Not Connected"). The defaults are public servers of two operators.
set(VELNOR_STUN_SERVERS "stun.l.google.com:19302;stun1.l.google.com:19302;stun.cloudflare.com:3478"
    CACHE STRING "STUN servers asked when there is no address page (host:port;...)")
foreach(server IN LISTS VELNOR_STUN_SERVERS)
    if(server STREQUAL "")
        continue()
    endif()
    string(REGEX REPLACE "^.*:" "" port "${server}")
    if(NOT server MATCHES "^([A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?\\.)*[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?:[0-9]+$"
       OR port LESS 1 OR port GREATER 65535)
        message(FATAL_ERROR
            "VELNOR_STUN_SERVERS holds \"${server}\": expected host:port (a host name or IPv4 "
            "address, a port from 1 to 65535), entries separated by \";\"")
    endif()
endforeach()
if(VELNOR_WEB_ADDRESS_1 STREQUAL VELNOR_DEFAULT_WEB_ADDRESS_1)
    set(VELNOR_STUN_SERVERS_ASKED "${VELNOR_STUN_SERVERS}")
else()
    set(VELNOR_STUN_SERVERS_ASKED "")
endif()
