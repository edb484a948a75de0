# The Debian package: what goes into it beside the programs, and CPack's DEB
# generator. `make package` runs cpack in the normal build folder, so the
# package holds exactly the binaries the tests ran.

# The version every program prints is the one the package carries.
target_compile_definitions(korvanta_core PUBLIC KORVANTA_VERSION="${PROJECT_VERSION}")
