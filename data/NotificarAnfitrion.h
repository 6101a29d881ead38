#pragma once
// The one message this module sends back to the host program when it has finished.
//
// Protocol (X11):
//  - The host's main window is a top-level window whose WM_CLASS class part is
//    "TFormPrincipalQDSQL" (any instance name, any title). It is looked for by walking the root
//    window's children recursively, so a client window placed inside a window manager's
//    reparenting frame is found too; WM_CLASS is checked on every window of the walk. The first
//    window found receives the message.
//  - The message is a ClientMessage event with message_type the atom "QDSQL_MSG", format 32 and
//    data.l[0] = 1026 (the message number: first user message + 2), data.l[1] = 0 (first
//    parameter), data.l[2] = 0 (second parameter); data.l[3] and data.l[4] are 0 as well. It is
//    sent with XSendEvent and an empty event mask (so it goes to the client that created the
//    window), then the connection is flushed synchronously with XSync. No reply is awaited.
//  - Without a display (DISPLAY unset or empty, or the server cannot be reached) nothing is sent.
//    X errors raised while walking (a window vanishing meanwhile) are ignored.

namespace qd {

// Name of the atom used as the ClientMessage's message_type.
inline constexpr char kAtomMensajeAnfitrion[] = "QDSQL_MSG";
// WM_CLASS class of the host's main window.
inline constexpr char kClaseVentanaAnfitrion[] = "TFormPrincipalQDSQL";
// The message number and its two parameters.
inline constexpr long kMensajeAnfitrion = 1026;

// Sends the message to the host's window. Returns whether such a window was found (and the
// message sent); false when there is no display or no host window. Never throws.
bool notificarAnfitrion();

} // namespace qd
