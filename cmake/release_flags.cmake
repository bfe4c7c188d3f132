# Flags every target gets, included before the first target is made.
if(WIN32)
    # The PE header would carry the time of linking; without it two builds of one commit agree.
    add_link_options(-Wl,--no-insert-timestamp)
else()
    # Release builds of the Linux program get the protections Debian builds its packages with:
    # checked string and memory calls, stack guards, and relocations made read-only at start-up.
    # Debug builds run under ASan, which does its own checking and clashes with fortified calls.
    set(release "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
    add_compile_options("$<${release}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
                        "$<${release}:-fstack-protector-strong;-fstack-clash-protection>")
    add_link_options("$<${release}:-Wl,-z,relro;-Wl,-z,now>")
    unset(release)
endif()
