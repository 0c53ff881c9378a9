#pragma once

#include "Cp1252.h"
#include "TDataPacket.h"

#include <QString>

#include <cstdint>

// Names and chat lines travel as code page 1252 bytes: the conversion happens where a packet
// is made and where its text is read, nowhere else.

// A fresh packet of the given kind carrying text.
inline TDataPacket TextPacket(std::int32_t Kind, const QString &Text)
{
    TDataPacket Packet;
    Packet.Kind = Kind;
    Packet.Text = Utf8ToCp1252(Text.toStdString());
    return Packet;
}

// The packet's text as the program shows it.
inline QString PacketText(const TDataPacket &Packet)
{
    return QString::fromStdString(Cp1252ToUtf8(Packet.Text));
}
