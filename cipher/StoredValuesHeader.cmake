# Build step of quillset_stored_values_header(): enciphers the two stored values with hexcipher
# and writes the header. Run as
#   cmake -DHEXCIPHER=... -DKEY=... -DURL_FILE=... -DPASSWORD_FILE=... -DOUTPUT=... -P this
file(READ "${URL_FILE}" url)
file(READ "${PASSWORD_FILE}" password)

function(encipher text width digits result)
  execute_process(
    COMMAND "${HEXCIPHER}" encipher "${text}" "${KEY}" --pad ${width}
    OUTPUT_VARIABLE hex
    ERROR_VARIABLE errors
    RESULT_VARIABLE status
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR NOT hex MATCHES "^[0-9A-F]+$")
    message(FATAL_ERROR "hexcipher could not encipher \"${text}\": ${errors}")
  endif()
  string(LENGTH "${hex}" length)
  if(NOT length EQUAL digits)
    message(FATAL_ERROR "hexcipher gave ${length} digits for \"${text}\", expected ${digits}")
  endif()
  set(${result} "${hex}" PARENT_SCOPE)
endfunction()

encipher("${url}" 48 96 address_hex)
encipher("${password}" 8 16 password_hex)

file(WRITE "${OUTPUT}" "\
// Written by the build from TLUPDATER_UPDATE_URL and TLUPDATER_ARCHIVE_PASSWORD; do not edit.
#pragma once

namespace quillset {

inline constexpr char kStoredUpdateAddress[] = \"${address_hex}\";
inline constexpr char kStoredArchivePassword[] = \"${password_hex}\";

} // namespace quillset
")
