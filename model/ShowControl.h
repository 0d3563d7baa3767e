#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// One MIDI Show Control message as the builder asks for it. For SET the cue number is the
// control number and the cue list its value (each 0 to 16383); for FIRE the cue number is the
// macro (0 to 127); ALL_OFF, RESTORE and RESET take nothing.
struct TShowCue
{
    std::uint8_t Command = 0x01; // GO
    std::uint8_t Device = 0x7F;  // 0 to 127; 127 calls every device
    std::uint8_t Format = 0x01;  // Lighting
    QString Number;              // digits and points; empty: no cue
    QString List;
    QString Path;
};

struct TShowName
{
    std::string_view Name;
    std::uint8_t Code;
};

inline constexpr std::array<TShowName, 11> kShowCommands{{{"GO", 0x01},
                                                          {"STOP", 0x02},
                                                          {"RESUME", 0x03},
                                                          {"TIMED_GO", 0x04},
                                                          {"LOAD", 0x05},
                                                          {"SET", 0x06},
                                                          {"FIRE", 0x07},
                                                          {"ALL_OFF", 0x08},
                                                          {"RESTORE", 0x09},
                                                          {"RESET", 0x0A},
                                                          {"GO_OFF", 0x0B}}};

inline constexpr std::array<TShowName, 9> kShowFormats{{{"Lighting", 0x01},
                                                        {"Moving Lights", 0x02},
                                                        {"Sound", 0x10},
                                                        {"Machinery", 0x20},
                                                        {"Video", 0x30},
                                                        {"Projection", 0x40},
                                                        {"Process Control", 0x50},
                                                        {"Pyro", 0x60},
                                                        {"All types", 0x7F}}};

// The system-exclusive bytes of the message (F0 7F device 02 format command data F7), or
// nothing when a field does not fit its command (say what with ShowCueProblem).
std::optional<std::vector<std::uint8_t>> BuildShowControl(const TShowCue& cue);
// Why the fields make no message; empty when they do.
QString ShowCueProblem(const TShowCue& cue);
