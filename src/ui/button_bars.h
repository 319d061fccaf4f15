#pragma once
// The button bars of the graphics windows and the text viewer, kept together so
// that every word of every bar can be checked against its 45-pixel button.
#include <array>
#include <string_view>

namespace meru::ui::bars {

inline constexpr std::string_view kCurve = "Esc Beta+  Beta-  Help";
inline constexpr std::string_view kRoc = "Esc New Diag Help";
inline constexpr std::string_view kDistMain = "Esc   PDF Bar_n Bar_% ECDF Surv Uniqu Help";
inline constexpr std::string_view kDistBins = "Esc   Bins+ Bins- User  Help";
inline constexpr std::string_view kDistBand = "Esc   Band+ Band- Help";
inline constexpr std::string_view kProcessBand = "Plot2 Band+ Band- Help";
inline constexpr std::string_view kRank = "Esc  P-value Cuts Add Negtv All Miss% Help";
inline constexpr std::string_view kRankBanned = "Esc  P-value Cuts Add Negtv Bannd Miss% Help";
inline constexpr std::string_view kScatter = "Esc Missd X->Y +pts -pts Z Dense JittX JittY Box Circl Help";
inline constexpr std::string_view kRotate = "Esc +pts -pts Movie  Dense Help  Fun";
inline constexpr std::string_view kTree = "Esc Rules Part Help";
inline constexpr std::string_view kViewerLog = "Esc PgDn  PgUp  Down  Up Top End  Find Begin Right Left  Goto Help ";
inline constexpr std::string_view kViewerFile = "Esc  PgDn PgUp  Down Up Top  End  Find Begin Right Left  Help";

// Every bar above, and those the rectangle-diagram windows write.
inline constexpr std::array<std::string_view, 16> kAll = {
    kCurve, kRoc, kDistMain, kDistBins, kDistBand, kProcessBand, kRank, kRankBanned, kScatter, kRotate, kTree,
    kViewerLog, kViewerFile, "Esc 3D 3DY Grid Help", "Esc  Movie Block Image  F_off + - Zero View Help",
    "Esc  Movie Block Image  Fun! + - Zero View Help"};

} // namespace meru::ui::bars
