#pragma once
// The fixed texts of every message we write. They go on the wire, so no
// language may change them; the library's string table lists them under
// their old numbers and takes them from here.

namespace mime::wire {

inline constexpr char kMultipartHeader[] = "Content-Type: multipart/mixed; boundary=";
inline constexpr char kBoundary[] = "=========_zarez==_";
inline constexpr char kAttachmentType[] = "Content-Type: application/octet-stream; name=\"";
inline constexpr char kAttachmentDisposition[] = "Content-Disposition: attachment; filename=\"";
inline constexpr char kBase64Encoding[] = "Content-Transfer-Encoding: base64";
inline constexpr char kMimeVersion[] = "MIME-Version: 1.0\r\n";
inline constexpr char kTextPartType[] = "Content-Type: text/plain; charset=\"us-ascii\"";
inline constexpr char kDescription[] = "Content-Description: ";

} // namespace mime::wire
