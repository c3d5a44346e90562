#include "port_edit.h"

#include <string>

#include "message_box.h"

BOOL ReadPortTyped(const CEdit& edit, int& nPort) {
    CString strTyped;
    edit.GetWindowText(strTyped);
    const std::string& text = strTyped.str();
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    const std::string number =
        first == std::string::npos ? "" : text.substr(first, last - first + 1);
    // Without leading zeros, five digits at most: nothing read from them can overflow.
    const size_t nonZero = number.find_first_not_of('0');
    const std::string digits = nonZero == std::string::npos ? "0" : number.substr(nonZero);
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos &&
        digits.size() <= 5 && std::stoi(digits) <= 65535) {
        nPort = std::stoi(digits);
        return TRUE;
    }
    CString strError;
    strError.Format("Port is error = \"%s\" ! A port is a whole number from 0 to 65535.",
                    text.c_str());
    AfxMessageBox(strError, MB_OK, 0);
    return FALSE;
}
