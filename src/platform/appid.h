#pragma once

namespace moravel {

// The application's reverse-DNS id: the name of its desktop entry, its icon and its AppStream
// component, and what Wayland compositors and docks match its windows to its launcher by.
inline constexpr char16_t applicationId[] = u"org.moravel.moravel";

} // namespace moravel
