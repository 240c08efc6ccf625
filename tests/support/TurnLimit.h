#pragma once
// The longest a turn of the window thread may take in a timing test. The sanitizers slow every
// instruction several times over; what such a test guards against (disk or disc work on the window
// thread) still shows at the raised limit.

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr double kLongestTurnMs = 150.0;
#else
inline constexpr double kLongestTurnMs = 50.0;
#endif
