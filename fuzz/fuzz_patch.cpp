// The patch readers on arbitrary files.
//
// The first byte picks the image the patch is applied to: a small one taken
// from the input (bit 0; its length is the next byte), else a demo image of
// the layout bit 1 picks. The rest is the patch. A fuzzer cannot forge a
// CRC32, so with bit 2 set the source's and the patch's own checksums are
// filled in before reading, and the BPS actions are reached; only the result's
// checksum is then left to fail.
//
// Properties: nothing crashes, reads or writes outside its buffers or
// allocates without bound (ASan, UBSan, libFuzzer's memory limit); a refusal
// carries one line of message and no bytes; an IPS result is never longer
// than the image; a BPS result never longer than the bound given; ApplyPatch
// only ever returns an image of an accepted length; and the program's own
// writers round-trip: the BPS patch from the image to the input's bytes, and
// the IPS patch from the image to any IPS result of the same length, read
// back to exactly those bytes.

#include "FuzzSupport.h"

#include "data/BpsPatch.h"
#include "data/IpsPatch.h"
#include "data/PatchApply.h"
#include "data/Stages.h"

using namespace quorvan;
using namespace quorvan::fuzz;

namespace {

void CheckRefusal(const PatchResult& result)
{
    Check(result.ok() == result.message.isEmpty(), "a message exactly when refused");
    Check(result.ok() || result.bytes.empty(), "no bytes when refused");
    Check(!result.message.contains(QLatin1Char('\n')), "the message is one line");
}

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in({data, size});
    const std::uint8_t mode = in.byte();
    std::vector<std::uint8_t> small;
    std::span<const std::uint8_t> image;
    if (mode & 1) {
        const auto piece = in.take(in.byte());
        small.assign(piece.begin(), piece.end());
        image = small;
    } else {
        image = BaseImage((mode & 2) ? DemoLayout::Shifted : DemoLayout::Plain);
    }
    const auto rest = in.take(in.left());
    std::vector<std::uint8_t> patch(rest.begin(), rest.end());
    if ((mode & 4) && patch.size() >= 12) {
        PutLittleEndian(patch, patch.size() - 12, Crc32(image));
        PutLittleEndian(patch, patch.size() - 4, Crc32(std::span(patch).first(patch.size() - 4)));
    }

    const PatchResult ips = ApplyIpsPatch(image, patch);
    CheckRefusal(ips);
    Check(!ips.ok() || ips.bytes.size() <= image.size(), "an IPS never lengthens the image");
    if (ips.ok() && ips.bytes.size() == image.size()) {
        const auto again = BuildIpsPatch(image, ips.bytes);
        Check(again.has_value(), "the IPS writer takes images of one length");
        const PatchResult back = ApplyIpsPatch(image, *again);
        Check(back.ok() && back.bytes == ips.bytes, "the IPS writer's patch reads back");
    }

    const PatchResult bps = ApplyBpsPatch(image, patch, kImageLengthPlain);
    CheckRefusal(bps);
    Check(!bps.ok() || bps.bytes.size() <= kImageLengthPlain, "a BPS result stays within the bound");

    const PatchResult any = ApplyPatch(image, patch);
    CheckRefusal(any);
    Check(!any.ok() || any.bytes.size() == kImageLengthPlain || any.bytes.size() == kImageLengthShifted,
          "only images of an accepted length come out");

    // The writer on arbitrary bytes: the image to the patch's own bytes.
    const PatchResult round = ApplyBpsPatch(image, BuildBpsPatch(image, patch), kImageLengthPlain);
    Check(round.ok() && round.bytes == patch, "the BPS writer's patch reads back");
    return 0;
}
