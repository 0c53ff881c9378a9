#include "ValueReader.h"

namespace {

void check(TReadStatus status)
{
    if (status != rsOk)
        throw EReadError(status);
}

} // namespace

void ValueReader::ExpectListBegin()
{
    check(readListBegin());
}

void ValueReader::ExpectListEnd()
{
    check(readListEnd());
}

std::int32_t ValueReader::GetInteger()
{
    std::int32_t value = 0;
    check(readInteger(value));
    return value;
}

std::string ValueReader::GetString()
{
    const std::size_t start = m_position;
    std::size_t length = 0;
    std::string_view bytes;
    check(readStringLength(length));
    const TReadStatus status = readBytes(length, bytes);
    if (status != rsOk) {
        m_position = start;
        throw EReadError(status);
    }
    return std::string(bytes);
}
