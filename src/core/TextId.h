#pragma once

// The numbers of the language texts the program asks for. A language file holds one text per
// line after its "[begin]" marker, looked up by position: these numbers are that position and must
// never change; new texts take the next free number in every language file.
namespace aql {

// Unscoped inside a struct: the names read as TextId::Save and convert to the number a language
// table is indexed by.
struct TextId {
    enum : int {
        // Main window: menus.
        FileMenu = 1,
        OptionsMenu = 2,
        HelpMenu = 3,
        ConfigurationEntry = 4, // also the configuration window's title (without "&")
        ExitEntry = 6,
        RealtimeMenu = 7,
        RealtimeOn = 8,
        RealtimeOff = 9,
        BaseFileEntry = 10,
        AboutEntry = 11, // also the About window's title (without "&")
        LanguageMenu = 110,
        DutchEntry = 111,
        EnglishEntry = 112,

        // Main window: panel.
        RunLamp = 12,
        AlarmLamp = 13,
        ManualLamp = 14,
        SelectSystem = 15, // also the configuration window's selection label
        Offline = 16,
        Online = 17,
        GetLog = 18,
        Save = 19, // main window, log window (CSV) and configuration window
        RecordsHeld = 62,
        OfflineTip = 114,
        OnlineTip = 115,
        GetLogTip = 116,
        SaveTip = 117,
        Connecting = 202,

        // Configuration window.
        NameLabel = 20,
        IpAddressLabel = 21,
        PortLabel = 22,
        NewSystem = 23,
        DeleteSystem = 24,
        ConfirmDeleteSystem = 46,
        DeleteSystemFailed = 47,
        SystemListFull = 48,
        NewSystemFailed = 49,
        SaveSystemFailed = 51,
        NameInUse = 52,
        NewSystemBaseName = 113,
        NewSystemTip = 118,
        DeleteSystemTip = 119,
        SaveSystemTip = 120,

        // Configuration file readers.
        ConfigFileSource = 57,
        ConfigFileUnreadable = 58,

        // Connection window.
        ConnectionTitle = 5,
        PasswordLabel = 26,
        Ok = 27, // also the About window's button
        Cancel = 28,
        Connect = 29,
        Hide = 30,
        CloseConnection = 31,
        SentLabel = 32,
        ReceivedLabel = 33,
        TimeoutAfter = 34,
        Attempts = 35,
        MsNoReaction = 36,
        ConnectIn = 37,
        Milliseconds = 38,
        LogConnectingTo = 77,
        LogConnected = 78,
        LogClosing = 79,
        LogClosed = 80,
        LogWaitingForConnection = 82,

        // Socket errors and answer time-out.
        NotReachableHeading = 84,
        NotReachableAdvice1 = 85,
        NotReachableAdvice2 = 86,
        NotReachableAdvice3 = 87,
        NotReachableAdvice4 = 88,
        RefusedHeading = 89,
        CommunicationError = 92,
        ConnectionAborted = 121,
        HostUnreachable = 122,
        RefusedAdvice1 = 194,
        RefusedAdvice2 = 195,
        NoAnswerHeading = 196,
        NoAnswerAdvice1 = 197,
        NoAnswerAdvice2 = 198,
        NoAnswerAdvice3 = 199,
        NoAnswerAdvice4 = 200,
        NoAnswerAdvice5 = 201,

        // Received replies.
        UnknownAddressedPacket = 94,
        ReplyChecksumError = 95,
        AddressedReplyChecksumError = 96,
        UnknownPacket = 97,

        // Base-file import.
        NotAStoredLog = 101,
        StoredLogEmpty = 102,
        StoredLogUnreadable = 103,

        // Log window.
        ExcelUnavailable = 53,
        ExcelTitle = 54,
        SavedAsCsv = 55,
        SavedAsXml = 56, // ends in a blank: the file name follows directly
        RecordCountLabel = 105,
        Excel = 106,
        Xml = 107,
        Quit = 108,
        LogWindowTitle = 109,
        WorkbookFilter = 204,       // the file dialog's description of *.xlsx
        SavedAsWorkbook = 205,      // followed by a blank and the file name
        OpenWorkbookQuestion = 206, // OK opens the saved workbook
        WorkbookNotOpened = 207,    // followed by a blank and the file name
        LogNotSaved = 208,          // followed by the reason on a line of its own
        RealtimeNotSaved = 209,     // followed by the reason on a line of its own

        // About window.
        ProductLabel = 40,
        CopyrightWarning = 177,
        VersionLabel = 178,

        // Variables window.
        NotAWholeNumber = 203,

        // Link status and reconnecting.
        StatusOffline = 210,
        StatusOnline = 211,
        NoReplyNote = 212,
        LastReply = 213,
        Ago = 214,
        LinesReceived = 215,
        ChecksumErrors = 216,
        DroppedLines = 217,
        DownloadRecordsHeld = 218,
        RecordsPerSecond = 219,
        DownloadElapsed = 220,
        LogComplete = 221,
        RecordsWord = 222,
        DownloadStopped = 223,
        DownloadInterrupted = 224,
        ReconnectingIn = 225,
        Attempt = 226,
        ConnectionLost = 227,
        ReconnectAttempt = 228,
        ReconnectCancelled = 229,
        EndAnswerTimeout = 230,
        EndCorruptReply = 231,
        EndConnectFailed = 232,
        EndClosedByController = 233,
        EndOfflineChosen = 234,
        EndPoolChanged = 235,
        EndConfigurationChanged = 236,
        VariableWriteCancelled = 237,
        ReconnectEntry = 238,

        // The log archive, the unsaved-records question and the variables window's notices.
        OpenArchiveEntry = 239,      // Options menu
        ArchiveInUse = 240,          // followed by who holds it, on a line of its own
        ArchiveUnavailable = 241,    // followed by the reason on a line of its own
        ArchiveNotWritten = 242,     // followed by the reason on a line of its own
        ArchiveRecordsLoaded = 243,  // followed by a blank and the count
        ArchiveSameNumber = 244,     // followed by a blank and the count
        ArchiveAlreadyHeld = 245,    // followed by a blank and the count
        ArchiveNotRead = 246,        // followed by the reason on a line of its own
        UnsavedRecords = 247,        // followed by a blank, the count and the system
        DiscardQuestion = 248,       // OK discards the records
        VariableChangePending = 249, // the variables window's busy notice
        AskedBlockName = 250,        // the variables window: the block last asked for
        PollHeartbeatName = 251,     // the variables window: the indicator that blinks per poll
        ArchiveDamagedLines = 252,   // followed by a blank and the count

        // The trend window; also the Options menu entry that opens it.
        TrendTitle = 253, // the window's title before " - " and the pool's name
        TrendTimeAxis = 254,
        // The series' names, in the order of the series they name.
        TrendPh = 255,
        TrendPhSetpoint = 256,
        TrendPhHighAlarm = 257,
        TrendPhLowAlarm = 258,
        TrendReagent = 259,
        TrendReagentSetpoint = 260,
        TrendReagentHighAlarm = 261,
        TrendReagentLowAlarm = 262,
        TrendFlow = 263,
        TrendFlowLowAlarm = 264,
        TrendFlowStopAlarm = 265,
        TrendRedox = 266,
        TrendRedoxHighAlarm = 267,
        TrendRedoxLowAlarm = 268,
        TrendWaterTemperature = 269,
        TrendOutsideLimits = 270,
        TrendPanEarlier = 271,
        TrendPanLater = 272,
        TrendZoomIn = 273,
        TrendZoomOut = 274,
        TrendZoomBack = 275,
        TrendWholeLog = 276,
        TrendSavePng = 277,
        TrendClose = 278,
        TrendHint = 279,
        TrendReadoutIdle = 280,
        TrendRecordsCharted = 281,       // followed by a blank and the count
        TrendImpossibleTimestamps = 282, // followed by a blank and the count
        TrendWithoutValues = 283,        // followed by a blank and the count
        TrendClockSetBack = 284,         // followed by a blank and the count
        TrendNothingToChart = 285,
        TrendPngFilter = 286,  // the file dialog's description of *.png
        TrendChartSaved = 287, // followed by a blank and the file name
        TrendChartNotSaved = 288,
        TrendSeriesPanel = 289, // the title over the series to choose
        TrendRecordWord = 290,  // the readout: "(record 120)"
        TrendButton = 291,      // the log window's button that opens the trend window

        // The last text of the language files; new texts continue from here without a gap.
        LastText = 291,
    };
};

} // namespace aql
