#pragma once
// Shared by the fuzz targets: the offscreen application, the synthetic base
// images, a reader that turns the fuzzer's bytes into choices, and the check
// that stops the run with a message when a property does not hold.

#include "demo/DemoImage.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvan {
class frmQuorvan;
}

namespace quorvan::fuzz {

// Creates the QApplication (offscreen platform) once; call from LLVMFuzzerInitialize.
void StartApplication(int* argc, char*** argv);

// The one main window of a run, made on first use with the globals reset; never destroyed.
frmQuorvan* Window();

// A path named `name` in a temporary folder that lasts as long as the run.
QString TemporaryPath(const QString& name);

// The demo image of a layout (seed 1), made once.
const std::vector<std::uint8_t>& BaseImage(DemoLayout layout);

// Reads the fuzzer's bytes front to back; past the end every read gives 0.
class Input {
public:
    explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool empty() const { return position_ >= bytes_.size(); }
    std::size_t left() const { return empty() ? 0 : bytes_.size() - position_; }
    std::uint8_t byte() { return empty() ? 0 : bytes_[position_++]; }
    std::uint16_t word() { return static_cast<std::uint16_t>(byte() | byte() << 8); }
    // A number 0..n-1 (n > 0).
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(word() % static_cast<unsigned>(n)); }
    std::span<const std::uint8_t> take(std::size_t n);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// Stops the run (abort, so libFuzzer records the input) when `ok` is false.
void Check(bool ok, const char* what);

} // namespace quorvan::fuzz
