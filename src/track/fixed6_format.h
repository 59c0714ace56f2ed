// Six-decimal number formatting for coordinates: fixed-point text with the seventh
// decimal alone deciding the rounding, computed in binary64 exactly as the track
// format's readers expect (not correctly rounded; not printf).
#ifndef TRB2ASC_TRACK_FIXED6_FORMAT_H_
#define TRB2ASC_TRACK_FIXED6_FORMAT_H_

#include <stddef.h>

namespace trb2asc {

inline constexpr double kCoordinateLimit = 360.0;

// Longest text formatFixed6 writes: "-360.000000".
inline constexpr size_t kMaxFixed6Length = 11;

// Writes value as [-]digits.dddddd into out (no terminating zero) and returns the number
// of bytes written. A '-' stands whenever the sign bit is set (so -0.0 gives
// "-0.000000"). Requires a finite value with |value| <= kCoordinateLimit and room for
// kMaxFixed6Length bytes; any other value writes nothing and returns 0.
size_t formatFixed6(double value, char* out);

// Writes `<first> , <second>`, each value as formatFixed6 writes it, and returns the end of
// the text. Both values must be finite and within +-kCoordinateLimit (unchecked); needs
// room for 2 * kMaxFixed6Length + 3 bytes, which may be written past the text's end.
char* writeCoordinatePair(double first, double second, char* out);

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_FIXED6_FORMAT_H_
