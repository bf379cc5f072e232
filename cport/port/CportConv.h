#pragma once

#include "cport/port/CportTypes.h"

#include <string>

// Texts of the port settings, as the pickers, the setup dialog and the INI files show them.
std::string BaudRateToStr(TBaudRate BaudRate);
std::string StopBitsToStr(TStopBits StopBits);
std::string DataBitsToStr(TDataBits DataBits);
std::string ParityToStr(TParityBits Parity);
std::string FlowControlToStr(TFlowControl FlowControl);
std::string DTRFlowControlToStr(TDTRFlowControl Value);
std::string RTSFlowControlToStr(TRTSFlowControl Value);

// Case-blind; a text that names no value gives the default (9600, one stop bit, 8 bits, none, custom).
TBaudRate StrToBaudRate(const std::string& Str);
TStopBits StrToStopBits(const std::string& Str);
TDataBits StrToDataBits(const std::string& Str);
TParityBits StrToParity(const std::string& Str);
TFlowControl StrToFlowControl(const std::string& Str);

// The line rate in bits per second that a rate value stands for; 0 for brCustom.
int BaudRateValue(TBaudRate BaudRate);
