// An exact place or length in quarter notes: divisions change within a piece and tuplets
// divide a beat by any number, so adding them up in ticks or floats would drift.
#ifndef TUNEDECK_CORE_SCORE_FRACTION_H
#define TUNEDECK_CORE_SCORE_FRACTION_H

#include "core/score/scoreerror.h"

#include <cstdint>
#include <numeric>

namespace tunedeck::score {

class Fraction {
public:
    constexpr Fraction() = default;
    Fraction(std::int64_t num, std::int64_t den = 1) { set(num, den); }

    std::int64_t num() const { return num_; }
    std::int64_t den() const { return den_; }

    friend Fraction operator+(Fraction a, Fraction b)
    {
        return make(__int128(a.num_) * b.den_ + __int128(b.num_) * a.den_, __int128(a.den_) * b.den_);
    }
    friend Fraction operator-(Fraction a, Fraction b)
    {
        return make(__int128(a.num_) * b.den_ - __int128(b.num_) * a.den_, __int128(a.den_) * b.den_);
    }
    friend Fraction operator*(Fraction a, Fraction b)
    {
        return make(__int128(a.num_) * b.num_, __int128(a.den_) * b.den_);
    }
    friend Fraction operator/(Fraction a, Fraction b)
    {
        if (b.num_ == 0)
            throw ScoreError("a length is divided by zero");
        return make(__int128(a.num_) * b.den_, __int128(a.den_) * b.num_);
    }
    friend bool operator==(Fraction a, Fraction b) { return a.num_ == b.num_ && a.den_ == b.den_; }
    friend bool operator<(Fraction a, Fraction b) { return __int128(a.num_) * b.den_ < __int128(b.num_) * a.den_; }
    friend bool operator>(Fraction a, Fraction b) { return b < a; }
    friend bool operator<=(Fraction a, Fraction b) { return !(b < a); }
    friend bool operator>=(Fraction a, Fraction b) { return !(a < b); }

    // The nearest whole number of ticks, halves away from zero.
    std::int64_t ticks(int perQuarter) const
    {
        // A score's places are small: counted in the machine's own words, the same rounding.
        constexpr std::int64_t small = std::int64_t(1) << 31;
        if (num_ > -small && num_ < small && den_ < small && perQuarter > 0 && perQuarter < (1 << 16)) {
            const std::int64_t scaled = num_ * perQuarter * 2;
            return (scaled >= 0 ? scaled + den_ : scaled - den_) / (den_ * 2);
        }
        const __int128 scaled = __int128(num_) * perQuarter * 2;
        const __int128 twice = scaled >= 0 ? scaled + den_ : scaled - den_;
        return std::int64_t(twice / (__int128(den_) * 2));
    }
    double toDouble() const { return double(num_) / double(den_); }

private:
    static Fraction make(__int128 num, __int128 den)
    {
        // Most sums stay small: reduced with the machine's own division.
        constexpr __int128 small = INT64_MAX;
        if (den > 0 && den <= small && num <= small && num >= -small) {
            if (den == 1) { // a whole number, as most durations are before their divisions
                Fraction f;
                f.num_ = std::int64_t(num);
                return f;
            }
            const std::int64_t g = std::gcd(std::int64_t(num), std::int64_t(den));
            Fraction f;
            f.num_ = std::int64_t(num) / g;
            f.den_ = std::int64_t(den) / g;
            return f;
        }
        if (den < 0) {
            num = -num;
            den = -den;
        }
        __int128 a = num < 0 ? -num : num, b = den;
        while (b != 0) {
            const __int128 r = a % b;
            a = b;
            b = r;
        }
        if (a > 1) {
            num /= a;
            den /= a;
        }
        constexpr __int128 limit = INT64_MAX;
        if (num > limit || num < -limit || den > limit)
            throw ScoreError("its durations are finer or longer than can be counted");
        Fraction f;
        f.num_ = std::int64_t(num);
        f.den_ = std::int64_t(den);
        return f;
    }
    void set(std::int64_t num, std::int64_t den)
    {
        if (den == 0)
            throw ScoreError("a length is divided by zero");
        *this = make(num, den);
    }

    std::int64_t num_ = 0;
    std::int64_t den_ = 1;
};

} // namespace tunedeck::score

#endif
