# 32-bit x86 Linux against Debian's i386 multiarch libraries. The stored data of the
# engine are memory images of 32-bit objects, so everything is built this way.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(VESTAMOR_ARCH_FLAGS "-m32 -msse2 -mfpmath=sse -fno-omit-frame-pointer")
set(CMAKE_C_FLAGS_INIT "${VESTAMOR_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${VESTAMOR_ARCH_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# pkg-config must see the i386 .pc files, not the host's.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")
