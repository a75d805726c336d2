// The texts the connection shows to the user.
#pragma once

namespace kestrova::connection::texts {

inline constexpr const char kLoginFailed[] = "Login Failed";
inline constexpr const char kProxyRejected[] = "The proxy rejected the connection:\n\n";
inline constexpr const char kServerRefused[] = "The server did not allow you to sign in at this time.";
inline constexpr const char kReasonGiven[] = "The reason given was:";

}  // namespace kestrova::connection::texts
