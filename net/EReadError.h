#pragma once

#include <stdexcept>

// How a read ended: rsInvalid for a marker other than the one required or an impossible
// length, rsShort when the value runs past the last byte of the buffer.
enum TReadStatus { rsOk, rsInvalid, rsShort };

// Carries "Invalid property value" (rsInvalid) or "Stream read error" (rsShort).
class EReadError : public std::runtime_error
{
public:
    explicit EReadError(TReadStatus status);
    TReadStatus status() const { return m_status; }

private:
    TReadStatus m_status;
};
