#include <QCoreApplication>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
// Hostile files in the decoder corpus make the decoders ask for absurd buffers and cope with a null
// answer: pillow/tiff/libtiff_segfault.tif has libtiff request about 171 GB for
// one strip, and it refuses the file cleanly when malloc says no. By default
// AddressSanitizer aborts on such a request instead of returning null, which
// would stop the whole test binary inside libtiff; let it answer as malloc does.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
#endif

int main(int argc, char** argv)
{
    // Qt's image plugins (JPEG, GIF, TIFF) are found through the application.
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
