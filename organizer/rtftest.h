// The RTF source window RTF_TEST: shows the body of the document in the OFFICE record buffer as raw RTF with
// its title; Save removes the language control words (after asking) and stores title, body, date and time.
// ACTION is 0 when it closes.
#pragma once

#ifdef _WIN32

#include <cstddef>

namespace velquin {

namespace rtfform {
enum class Ctl : int { SUBJ_PROMPT = 1, OFC_SUBJ, RTEXT, OK, CANCEL };
}

// The most bytes the source box holds.
inline constexpr std::size_t RTEXT_SIZE = 2000000;

void RTF_TEST();

} // namespace velquin

#endif
