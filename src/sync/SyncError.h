#pragma once

// Numbers of the platform::Error a CardDAV exchange fails with; the text says
// which server and what to do.
namespace carddav::err {
inline constexpr int NotCardDav = 9100;   // the reply is not what a CardDAV server sends
inline constexpr int Unreachable = 9101;  // no connection, name unknown, connection refused
inline constexpr int Untrusted = 9102;    // its TLS certificate is not trusted
inline constexpr int Unauthorized = 9103; // 401: user name or password wrong
inline constexpr int Forbidden = 9104;    // 403
inline constexpr int NotFound = 9105;     // 404: no such collection
inline constexpr int ServerFailed = 9106; // 5xx
inline constexpr int Redirected = 9107;   // sent to another server
inline constexpr int TooLarge = 9108;     // a reply over the size cap
inline constexpr int TimedOut = 9109;     // the server stopped answering
inline constexpr int Refused = 9110;      // any other status the client cannot use
} // namespace carddav::err
