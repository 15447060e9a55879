#pragma once

// The numbers of the language texts the program asks for. A language file holds one text per
// line after its "[begin]" marker, looked up by position: these numbers are that position and must
// never change; new texts take the next free number in every language file.
namespace aql::TextId {

// Main window: menus.
constexpr int FileMenu = 1;
constexpr int OptionsMenu = 2;
constexpr int HelpMenu = 3;
constexpr int ConfigurationEntry = 4; // also the configuration window's title (without "&")
constexpr int ExitEntry = 6;
constexpr int RealtimeMenu = 7;
constexpr int RealtimeOn = 8;
constexpr int RealtimeOff = 9;
constexpr int BaseFileEntry = 10;
constexpr int AboutEntry = 11; // also the About window's title (without "&")
constexpr int LanguageMenu = 110;
constexpr int DutchEntry = 111;
constexpr int EnglishEntry = 112;

// Main window: panel.
constexpr int RunLamp = 12;
constexpr int AlarmLamp = 13;
constexpr int ManualLamp = 14;
constexpr int SelectSystem = 15; // also the configuration window's selection label
constexpr int Offline = 16;
constexpr int Online = 17;
constexpr int GetLog = 18;
constexpr int Save = 19; // main window, log window (CSV) and configuration window
constexpr int RecordsHeld = 62;
constexpr int OfflineTip = 114;
constexpr int OnlineTip = 115;
constexpr int GetLogTip = 116;
constexpr int SaveTip = 117;
constexpr int Connecting = 202;

// Configuration window.
constexpr int NameLabel = 20;
constexpr int IpAddressLabel = 21;
constexpr int PortLabel = 22;
constexpr int NewSystem = 23;
constexpr int DeleteSystem = 24;
constexpr int ConfirmDeleteSystem = 46;
constexpr int DeleteSystemFailed = 47;
constexpr int SystemListFull = 48;
constexpr int NewSystemFailed = 49;
constexpr int SaveSystemFailed = 51;
constexpr int NameInUse = 52;
constexpr int NewSystemBaseName = 113;
constexpr int NewSystemTip = 118;
constexpr int DeleteSystemTip = 119;
constexpr int SaveSystemTip = 120;

// Configuration file readers.
constexpr int ConfigFileSource = 57;
constexpr int ConfigFileUnreadable = 58;

// Connection window.
constexpr int ConnectionTitle = 5;
constexpr int PasswordLabel = 26;
constexpr int Ok = 27; // also the About window's button
constexpr int Cancel = 28;
constexpr int Connect = 29;
constexpr int Hide = 30;
constexpr int CloseConnection = 31;
constexpr int SentLabel = 32;
constexpr int ReceivedLabel = 33;
constexpr int TimeoutAfter = 34;
constexpr int Attempts = 35;
constexpr int MsNoReaction = 36;
constexpr int ConnectIn = 37;
constexpr int Milliseconds = 38;
constexpr int LogConnectingTo = 77;
constexpr int LogConnected = 78;
constexpr int LogClosing = 79;
constexpr int LogClosed = 80;
constexpr int LogWaitingForConnection = 82;

// Socket errors and answer time-out.
constexpr int NotReachableHeading = 84;
constexpr int NotReachableAdvice1 = 85;
constexpr int NotReachableAdvice2 = 86;
constexpr int NotReachableAdvice3 = 87;
constexpr int NotReachableAdvice4 = 88;
constexpr int RefusedHeading = 89;
constexpr int CommunicationError = 92;
constexpr int ConnectionAborted = 121;
constexpr int HostUnreachable = 122;
constexpr int RefusedAdvice1 = 194;
constexpr int RefusedAdvice2 = 195;
constexpr int NoAnswerHeading = 196;
constexpr int NoAnswerAdvice1 = 197;
constexpr int NoAnswerAdvice2 = 198;
constexpr int NoAnswerAdvice3 = 199;
constexpr int NoAnswerAdvice4 = 200;
constexpr int NoAnswerAdvice5 = 201;

// Received replies.
constexpr int UnknownAddressedPacket = 94;
constexpr int ReplyChecksumError = 95;
constexpr int AddressedReplyChecksumError = 96;
constexpr int UnknownPacket = 97;

// Base-file import.
constexpr int NotAStoredLog = 101;
constexpr int StoredLogEmpty = 102;
constexpr int StoredLogUnreadable = 103;

// Log window.
constexpr int ExcelUnavailable = 53;
constexpr int ExcelTitle = 54;
constexpr int SavedAsCsv = 55;
constexpr int SavedAsXml = 56; // ends in a blank: the file name follows directly
constexpr int RecordCountLabel = 105;
constexpr int Excel = 106;
constexpr int Xml = 107;
constexpr int Quit = 108;
constexpr int LogWindowTitle = 109;

// About window.
constexpr int ProductLabel = 40;
constexpr int CopyrightWarning = 177;
constexpr int VersionLabel = 178;

// Variables window.
constexpr int NotAWholeNumber = 203;

// The last text of the language files; new texts continue from here without a gap.
constexpr int LastText = 203;

} // namespace aql::TextId
