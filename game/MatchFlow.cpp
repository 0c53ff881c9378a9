#include "app/Unit1.h"

// The match flow arrives with network play.
void TForm1::New1Click() {}
void TForm1::HandlePacket(const TDataPacket &) {}

void TForm1::PlayMove(int, int) {}
