// The reference screens and the display set-up shared by the benchmarks and the scripted run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kivo/kivo.h"
#include "kivo/screen.h"

namespace bench {

// A 60-character URL, the payment screen's QR code.
inline constexpr const char* payment_url =
    "https://pay.example.com/station/4711/session/8f3a2c9b1d7e6f50";

enum class Screen { Home, Charging, Payment };
inline constexpr Screen all_screens[] = {Screen::Home, Screen::Charging, Screen::Payment};
const char* name(Screen screen);

ConfigRecord config();

// Starts SDL's event subsystem once per process.
void init_sdl();
// A window of width x height on an emulated display whose rows are line_length bytes long
// (0: 4 x width, no padding). Replaces the window open before.
void open(int width, int height, std::uint32_t line_length = 0);
void close();
// Opens the window unless the one open has this size and row length.
void ensure(int width, int height, std::uint32_t line_length = 0);

// Fills screen slot `slot` with the reference screen.
void set(std::uint32_t slot, Screen screen);

// One label of each kind, as drawn in the per-element breakdown.
kivo::Label text_label(std::uint32_t style = 0, const char* text = "Connector 2 available");
kivo::Label markup_label();
kivo::Label icon_label();
kivo::Label qr_label();
kivo::Label slider_label();

// The i-th reading of a kWh counter, "10.0 kWh" upwards (short enough to need no allocation).
inline std::string counter_text(unsigned i)
{
    return std::to_string(10 + i / 10 % 90) + "." + std::to_string(i % 10) + " kWh";
}

// Bytes of one frame of width x height.
inline std::size_t frame_bytes(int width, int height)
{
    return std::size_t(width) * std::size_t(height) * 4;
}

// A writable mapping of the emulated framebuffer, opened and mapped as the window does.
class FbMapping {
  public:
    FbMapping();
    ~FbMapping();
    FbMapping(const FbMapping&) = delete;
    FbMapping& operator=(const FbMapping&) = delete;
    unsigned char* data() const { return mem_; }
    std::size_t size() const { return size_; }

  private:
    int fd_ = -1;
    unsigned char* mem_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace bench
