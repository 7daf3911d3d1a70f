#pragma once
// The arithmetic of the estimating window on the texts of its boxes: piece price or wage,
// carton estimates and material cutting. Numbers are read as decimal numbers, computed in
// extended precision and written back with 15 significant digits.
#include <QString>

#include <optional>

namespace estprice {

// General format with 15 significant digits: trailing zeros dropped, no thousands separators,
// an exponent ("1.5E20", "1E-5") only for very large or very small values.
QString formatNumber(long double value);
// A decimal number from a box (blanks around it allowed); WageError naming the text when it
// is not a finite number.
long double readNumber(const QString &text);

enum EstimateMode { FromWage = 0, FromPrice = 1 };

struct WageBoxes {
    QString wage, days, hours, rate, price;   // LEdit1 ... LEdit5
};
// What the estimate changes: the price box (FromWage) or the wage box (FromPrice); nothing
// when days x hours x rate is 0 (then `note` says why). WageError for a box that is no number.
struct WageResult {
    std::optional<QString> wage;
    std::optional<QString> price;
    QString note;
};
WageResult estimateWage(int mode, const WageBoxes &boxes);

// Products of the carton estimate (RadioGroup2).
inline const char *const kCartonProducts[] = {"箱子", "筒型", "五层箱底", "七层箱底", "垫板"};
struct CartonResult {
    QString estimate;   // into ZxLEdit5
    QString caption;    // of GroupBox2
};
// product -1 (none chosen) gives nothing.
std::optional<CartonResult> cartonEstimate(int product, const QString &l, const QString &w, const QString &h,
                                           const QString &p, bool taxExclusive);
QString initialCartonCaption();

inline const char *const kCuttingCategories[] = {"五层箱子", "七层箱子", "930以下筒形", "930以上筒形", "箱底"};
inline const char *const kCuttingKinds[] = {"大片", "小片", "压印", "反压印"};
// Results of the cutting calculation; an empty optional keeps its box's text. A box that is no
// number stops the calculation where it is read: `error` holds the message and what was
// computed before stays set.
struct CuttingResult {
    std::optional<QString> first, second, count;   // KlLEdit5, KlLEdit6, KlLEdit7
    QString label;                                 // Label1
    QString error;
};
CuttingResult cutting(int category, int kind, const QString &l, const QString &w, const QString &h, const QString &q);

} // namespace estprice
