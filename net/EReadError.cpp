#include "EReadError.h"

EReadError::EReadError(TReadStatus status)
    : std::runtime_error(status == rsShort ? "Stream read error" : "Invalid property value"),
      m_status(status)
{}
