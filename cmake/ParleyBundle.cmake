# What a bundle is built for: the Twitch application it signs in as.
set(PARLEY_TWITCH_CLIENT_ID "parley-client-id" CACHE STRING "The Twitch application's client id")
set(PARLEY_AUTH_REDIRECT_URL "http://localhost:17563" CACHE STRING
    "The redirect URL registered with the Twitch application")

# parley_write_info(PATH [KIND kind]): the bundle's Info.json. KIND is its
# "PARLEY_BUNDLE_KIND" (build, installed); a downloaded copy carries none.
function(parley_write_info path)
    cmake_parse_arguments(ARG "" "KIND" "" ${ARGN})
    set(PARLEY_BUNDLE_KIND_ENTRY "")
    if(ARG_KIND)
        set(PARLEY_BUNDLE_KIND_ENTRY "\n    \"PARLEY_BUNDLE_KIND\": \"${ARG_KIND}\",")
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/packaging/Info.json.in ${path} @ONLY)
endfunction()
