// The library's error codes with their texts, one row each: QZ_ERROR_ROW(code, name, text).
// Every export returns one of these codes (0 success), and the code is also the id of its text,
// so this one table gives both the public names and the string table. The texts are the ones
// the field software has always shown, spelling included. Codes 200-220 belong to the
// buffer-memory library, which both programs look up here as well.
#pragma once

// clang-format off
#define QZ_ERROR_TABLE(QZ_ERROR_ROW) \
    QZ_ERROR_ROW(0, QZERR_NO_ERROR, "No Error") \
    QZ_ERROR_ROW(1, QZERR_INVALID_CAPABILITY_SPECIFIED, "Invalid capability specified") \
    QZ_ERROR_ROW(2, QZERR_INVALID_ELEMENT_SPECIFIED, "Invalid Element specified") \
    QZ_ERROR_ROW(3, QZERR_INVALID_SUBSYSTEM_SPECIFIED, "Invalid Subsystem specified") \
    QZ_ERROR_ROW(4, QZERR_NOT_ENOUGH_DMA_CHANNELS, "Not Enough DMA Channels") \
    QZ_ERROR_ROW(5, QZERR_INVALID_LIST_SIZE, "Invalid List Size") \
    QZ_ERROR_ROW(6, QZERR_INVALID_LIST_ENTRY, "Invalid List Entry") \
    QZ_ERROR_ROW(7, QZERR_INVALID_CHANNEL, "Invalid Channel") \
    QZ_ERROR_ROW(8, QZERR_INVALID_CHANNEL_TYPE, "Invalid Channel Type") \
    QZ_ERROR_ROW(9, QZERR_INVALID_ENCODING, "Invalid Encoding") \
    QZ_ERROR_ROW(10, QZERR_INVALID_TRIGGER, "Invalid Trigger") \
    QZ_ERROR_ROW(11, QZERR_INVALID_RESOLUTION, "Invalid Resolution") \
    QZ_ERROR_ROW(12, QZERR_INVALID_CLOCK_SOURCE, "Invalid Clock Source") \
    QZ_ERROR_ROW(13, QZERR_INVALID_FREQUENCY, "Invalid Frequency") \
    QZ_ERROR_ROW(14, QZERR_INVALID_PULSE_TYPE, "Invalid Pulse Type") \
    QZ_ERROR_ROW(15, QZERR_INVALID_PULSE_WIDTH, "Invalid Pulse Width") \
    QZ_ERROR_ROW(16, QZERR_INVALID_COUNTER_MODE, "Invalid Counter Mode") \
    QZ_ERROR_ROW(17, QZERR_INVALID_CASCADE_MODE, "Invalid Cascade Mode") \
    QZ_ERROR_ROW(18, QZERR_INVALID_DATA_FLOW, "Invalid Data Flow") \
    QZ_ERROR_ROW(19, QZERR_INVALID_WINDOW_HANDLE, "Invalid Window Handle") \
    QZ_ERROR_ROW(20, QZERR_SUBSYSTEM_IN_USE, "Subsystem in use") \
    QZ_ERROR_ROW(21, QZERR_SUBSYSTEM_NOT_IN_USE, "Subsystem not in use") \
    QZ_ERROR_ROW(22, QZERR_SUBSYSTEM_ALREADY_RUNNING, "Subsystem already running") \
    QZ_ERROR_ROW(23, QZERR_NO_CHANNEL_LIST, "No channel list") \
    QZ_ERROR_ROW(24, QZERR_NO_GAIN_LIST, "No gain list") \
    QZ_ERROR_ROW(25, QZERR_NO_FILTER_LIST, "No filter list") \
    QZ_ERROR_ROW(26, QZERR_SYSTEM_NOT_CONFIGURED, "System not configured") \
    QZ_ERROR_ROW(27, QZERR_DATAFLOW_MISMATCH, "Dataflow mismatch") \
    QZ_ERROR_ROW(28, QZERR_SUBSYSTEM_NOT_RUNNING, "Subsystem not running") \
    QZ_ERROR_ROW(29, QZERR_INVALID_RANGE, "Invalid Range") \
    QZ_ERROR_ROW(30, QZERR_INVALID_SUBSYSTEM_CAPABILITY, "Invalid Subsystem Capability") \
    QZ_ERROR_ROW(31, QZERR_INVALID_DEVICE_CAPABILITY, "Invalid Device Capability") \
    QZ_ERROR_ROW(32, QZERR_INVALID_RANGE_INDEX, "Invalid Range Index") \
    QZ_ERROR_ROW(33, QZERR_INVALID_FILTER_INDEX, "Invalid Filter Index") \
    QZ_ERROR_ROW(34, QZERR_INVALID_GAIN_INDEX, "Invalid Gain Index") \
    QZ_ERROR_ROW(35, QZERR_INVALID_WRAP_MODE, "Invalid Wrap Mode") \
    QZ_ERROR_ROW(36, QZERR_NOT_SUPPORTED, "Not supported") \
    QZ_ERROR_ROW(37, QZERR_INVALID_DIVIDER_VALUE, "Invalid Divider Value") \
    QZ_ERROR_ROW(38, QZERR_INVALID_GATE, "Invalid Gate") \
    QZ_ERROR_ROW(39, QZERR_INVALID_DEVICE_HANDLE, "Invalid Device Handle") \
    QZ_ERROR_ROW(40, QZERR_INVALID_SUBSYSTEM_HANDLE, "Invalid Subsystem Handle") \
    QZ_ERROR_ROW(41, QZERR_CANNOT_ALLOCATE_DASS, "Cannot allocate DASS") \
    QZ_ERROR_ROW(42, QZERR_CANNOT_DEALLOCATE_DASS, "Cannot Deallocate DASS") \
    QZ_ERROR_ROW(43, QZERR_TRANSFER_LIST_NOT_EMPTY, "Transfer list not empty") \
    QZ_ERROR_ROW(44, QZERR_ANOTHER_SUBSYSTEM_ON_BOARD_IS_ALREADY_RUNNING, "Another Subsystem on board is already running") \
    QZ_ERROR_ROW(45, QZERR_CHANNEL_LIST_HAS_BEEN_FILLED_INCORRECTLY, "Channel list has been filled incorrectly") \
    QZ_ERROR_ROW(46, QZERR_SELECTED_CLOCK_TRIGGER_SOURCE_MAY_NOT_BE_USED_TOGETHER, "Selected clock & trigger source may not be used together") \
    QZ_ERROR_ROW(47, QZERR_DRIVER_COULD_NOT_ALLOCATE_NEEDED_MEMORY, "Driver could not allocate needed memory") \
    QZ_ERROR_ROW(48, QZERR_TRIGGERED_SCAN_IS_NOT_AVAILABLE_IN_SINGLE_VALUE_MODE, "Triggered Scan is not available in single value mode") \
    QZ_ERROR_ROW(49, QZERR_EXTERNAL_CLOCK_IS_NOT_AVAILABLE_IN_SINGLE_VALUE_MODE, "External Clock is not available in single value mode") \
    QZ_ERROR_ROW(50, QZERR_BAD_RESOLUTION_SELECTED, "Bad Resolution Selected") \
    QZ_ERROR_ROW(60, QZERR_A_D_TRIGGER_ERROR, "A/D Trigger Error") \
    QZ_ERROR_ROW(61, QZERR_A_D_OVERRUN_ERROR, "A/D Overrun Error") \
    QZ_ERROR_ROW(62, QZERR_D_A_TRIGGER_ERROR, "D/A Trigger Error") \
    QZ_ERROR_ROW(63, QZERR_D_A_UNDERRUN_ERROR, "D/A Underrun Error") \
    QZ_ERROR_ROW(64, QZERR_NO_READY_BUFFERS, "No Ready Buffers") \
    QZ_ERROR_ROW(65, QZERR_LIBRARY_REQUIRES_I386_OR_I486, "Library Requires i386 or i486") \
    QZ_ERROR_ROW(66, QZERR_LIBRARY_REQUIRES_WINDOWS_3_X_ENHANCED_MODE, "Library Requires Windows 3.x Enhanced mode") \
    QZ_ERROR_ROW(67, QZERR_DRIVER_CANNOT_BE_INITIALIZED, "Driver cannot be initialized") \
    QZ_ERROR_ROW(68, QZERR_CANNOT_ENUMERATE_THIS_CAPABILITY, "Cannot enumerate this capability ") \
    QZ_ERROR_ROW(69, QZERR_DASS_PROC_CALLBACK_NULL, "Dass Proc CallBack NULL") \
    QZ_ERROR_ROW(70, QZERR_ENUM_PROC_CALLBACK_NULL, "Enum Proc CallBack NULL") \
    QZ_ERROR_ROW(71, QZERR_NO_WINDOW_HANDLE, "No Window Handle") \
    QZ_ERROR_ROW(72, QZERR_SUB_SYSTEM_CANNOT_BE_CASCADED, "Sub system cannot be cascaded") \
    QZ_ERROR_ROW(73, QZERR_INVALID_CONFIGURATION_IN_SYSTEM_INI, "Invalid configuration in SYSTEM.INI") \
    QZ_ERROR_ROW(74, QZERR_CANNOT_ALLOCATE_MEMORY_FOR_JUMPERS, "Cannot allocate memory for jumpers") \
    QZ_ERROR_ROW(75, QZERR_CANNOT_ALLOCATE_CHANNEL_LIST, "Cannot allocate channel list") \
    QZ_ERROR_ROW(76, QZERR_CANNOT_ALLOCATE_GAIN_LIST, "Cannot allocate gain list") \
    QZ_ERROR_ROW(77, QZERR_CANNOT_ALLOCATE_FILTER_LIST, "Cannot allocate filter list") \
    QZ_ERROR_ROW(78, QZERR_NO_QUENZOR_BOARDS_INSTALLED, "No Quenzor boards installed") \
    QZ_ERROR_ROW(79, QZERR_INVALID_DMA_SCAN_COMBINATION, "Invalid DMA / Scan combination") \
    /* the words of 14 in other letter case: the number keeps the two names apart */ \
    QZ_ERROR_ROW(80, QZERR_INVALID_PULSE_TYPE_80, "Invalid pulse type") \
    QZ_ERROR_ROW(81, QZERR_INVALID_GAIN_LIST, "Invalid gain list") \
    QZ_ERROR_ROW(82, QZERR_WRONG_COUNTER_MODE, "Wrong counter mode") \
    QZ_ERROR_ROW(83, QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL, "LPSTR passed as a parameter was NULL") \
    QZ_ERROR_ROW(84, QZERR_INVALID_POLLED_I_O_COMBINATION, "Invalid Polled I/O combination") \
    QZ_ERROR_ROW(85, QZERR_INVALID_SCAN_TRIGGER_COMBO, "Invalid Scan / Trigger combo") \
    QZ_ERROR_ROW(86, QZERR_INVALID_GAIN, "Invalid Gain") \
    QZ_ERROR_ROW(87, QZERR_NO_WINDOW_HANDLE_SPECIFIED_FOR_FREQUENCY_MEASUREMENT, "No window handle specified for frequency measurement") \
    QZ_ERROR_ROW(88, QZERR_INVALID_COUNT_DURATION_FOR_FREQUENCY_MEASUREMENT, "Invalid count duration for frequency measurement") \
    QZ_ERROR_ROW(89, QZERR_INVALID_QUEUE_TYPE_SPECIFIED, "Invalid queue type specified") \
    QZ_ERROR_ROW(90, QZERR_INVALID_RETRIGGER_RATE_FOR_CHANNEL_LIST_SIZE, "Invalid Retrigger Rate for channel list size") \
    QZ_ERROR_ROW(91, QZERR_NO_COMMAND_RESPONSE_FROM_HARDWARE, "No Command Response from Hardware") \
    QZ_ERROR_ROW(92, QZERR_HARDWARE_COMMAND_SEQUENCE_ERROR, "Hardware Command Sequence Error") \
    QZ_ERROR_ROW(93, QZERR_HARDWARE_DATA_SEQUENCE_ERROR, "Hardware Data Sequence Error") \
    QZ_ERROR_ROW(94, QZERR_CANNOT_ALLOCATE_TIMER_DATA_FOR_DRIVER, "Cannot allocate timer data for driver") \
    QZ_ERROR_ROW(95, QZERR_INVALID_TIMER_HANDLE, "Invalid Timer handle") \
    QZ_ERROR_ROW(96, QZERR_INVALID_TIMER_MODE, "Invalid Timer mode") \
    QZ_ERROR_ROW(97, QZERR_INVALID_TIMER_FREQUENCY, "Invalid Timer frequency") \
    QZ_ERROR_ROW(98, QZERR_INVALID_TIMER_CALLBACK_PROCEDURE, "Invalid Timer callback procedure") \
    QZ_ERROR_ROW(99, QZERR_INVALID_TIMER_DMA_BUFFER_SIZE, "Invalid Timer DMA buffer size") \
    QZ_ERROR_ROW(100, QZERR_ILLEGAL_SYNCHRONOUS_DIGITAL_I_O_VALUE_REQUESTED, "Illegal synchronous digital I/O value requested") \
    QZ_ERROR_ROW(101, QZERR_CANNOT_ALLOCATE_SIMULTANEOUS_START_LIST, "Cannot allocate simultaneous start list") \
    QZ_ERROR_ROW(102, QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED, "Illegal simultaneous start list handle specified") \
    QZ_ERROR_ROW(103, QZERR_INVALID_SUBSYSTEM_HANDLE_ON_SIMULTANEOUS_START_LIST, "Invalid subsystem handle on simultaneous start list") \
    QZ_ERROR_ROW(104, QZERR_NO_SUBSYSTEM_HANDLES_ON_SIMULTANEOUS_START_LIST, "No subsystem handles on simultaneous start list") \
    QZ_ERROR_ROW(105, QZERR_THE_SUBSYSTEM_HAS_NO_CHANNEL_INHIBIT_LIST, "The subsystem has no channel inhibit list") \
    QZ_ERROR_ROW(106, QZERR_THE_SUBSYSTEM_HAS_NO_DIGITAL_I_O_LIST, "The subsystem has no digital I/O list") \
    QZ_ERROR_ROW(107, QZERR_THE_SUBSYSTEM_HAS_NOT_BEEN_PRESTARTED, "The subsystem has not been prestarted") \
    QZ_ERROR_ROW(108, QZERR_INVALID_NOTIFICATION_PROCEDURE, "Invalid notification procedure") \
    QZ_ERROR_ROW(109, QZERR_INVALID_BR_CONNECT_TRANSFER_COUNT, "Invalid BR-Connect transfer count") \
    QZ_ERROR_ROW(110, QZERR_INVALID_BR_CONNECT_TRANSFER_SIZE, "Invalid BR-Connect transfer size") \
    QZ_ERROR_ROW(111, QZERR_CANNOT_ALLOCATE_CHANNEL_INHIBIT_LIST, "Cannot allocate channel inhibit list") \
    QZ_ERROR_ROW(112, QZERR_CANNOT_ALLOCATE_DIGITAL_I_O_LIST, "Cannot allocate digital I/O list") \
    QZ_ERROR_ROW(113, QZERR_CHANNEL_INHIBIT_LIST_HAS_BEEN_FILLED_INCORRECTLY, "Channel inhibit list has been filled incorrectly") \
    QZ_ERROR_ROW(114, QZERR_DASS_HANDLE_IS_ALREADY_ON_SIMULTANEOUS_START_LIST, "Dass handle is already on simultaneous start list") \
    QZ_ERROR_ROW(115, QZERR_CANNOT_ALLOCATE_RANGE_LIST, "Cannot allocate range list") \
    QZ_ERROR_ROW(116, QZERR_NO_RANGE_LIST, "No range list") \
    QZ_ERROR_ROW(117, QZERR_NO_BUFFERS_IN_PROCESS, "No buffers in process") \
    QZ_ERROR_ROW(118, QZERR_ADDITIONAL_REQUIRED_SUB_SYSTEM_IN_USE, "Additional required sub system in use") \
    QZ_ERROR_ROW(119, QZERR_WRAP_MODE_MISMATCH, "Wrap mode mismatch") \
    QZ_ERROR_ROW(120, QZERR_VBRDAD_VIRTUAL_DEVICE_DRIVER_NOT_LOADED, "VBRDAD virtual device driver not loaded") \
    QZ_ERROR_ROW(121, QZERR_INVALID_RETRIGGER_MODE, "Invalid Retrigger Mode") \
    QZ_ERROR_ROW(122, QZERR_INVALID_COUNT_COUNT_EXCEEDS_MAXIMUM_OF_SCANS_OF_THE_CGL, "Invalid count.  Count exceeds maximum # of scans of the CGL.") \
    QZ_ERROR_ROW(123, QZERR_INVALID_RETRIGGER, "Invalid Retrigger") \
    QZ_ERROR_ROW(124, QZERR_INVALID_PRETRIGGER, "Invalid Pretrigger") \
    QZ_ERROR_ROW(125, QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS, "A General Failure has occurred, see manual for possible explanations.") \
    QZ_ERROR_ROW(126, QZERR_DEFER_COMPLETION_OF_QUENZOR_CALL, "Defer Completion of Quenzor call") \
    QZ_ERROR_ROW(127, QZERR_OPERATING_SYSTEM_NOT_SUPPORTED, "Operating System not supported") \
    QZ_ERROR_ROW(128, QZERR_INVALID_COUNTER_EDGE_SPECIFIED, "Invalid counter edge specified") \
    QZ_ERROR_ROW(129, QZERR_ONLY_HALF_OF_32_BIT_COUNT_VALUE_READ_VIA_CGL, "Only half of 32 bit count value read via CGL") \
    QZ_ERROR_ROW(130, QZERR_INVALID_INDEX, "Invalid Index") \
    QZ_ERROR_ROW(131, QZERR_INVALID_COMBINATION_OF_INDEX_AND_X4SCALING, "Invalid combination of Index and X4Scaling\n") \
    QZ_ERROR_ROW(200, QZERR_CANNOT_ALLOCATE_A_BUFFER_CONTROL_BLOCK_FOR_THE_REQUESTED_DATA_BUFFER, "Cannot allocate a buffer control block for the requested data buffer.") \
    QZ_ERROR_ROW(201, QZERR_CANNOT_ALLOCATE_THE_REQUESTED_DATA_BUFFER, "Cannot allocate the requested data buffer.") \
    QZ_ERROR_ROW(202, QZERR_INVALID_BUFFER_HANDLE_HBUF_PASSED_TO_A_LIBRARY_FROM_AN_APPLICATION, "Invalid buffer handle (HBUF) passed to a library from an application.") \
    QZ_ERROR_ROW(203, QZERR_CANNOT_LOCK_BUFFER, "Cannot lock buffer") \
    QZ_ERROR_ROW(204, QZERR_BUFFER_LOCKED, "Buffer Locked") \
    QZ_ERROR_ROW(205, QZERR_BUFFER_ON_LIST, "Buffer on List") \
    QZ_ERROR_ROW(206, QZERR_REALLOCATION_OF_A_BUFFER_CONTROL_BLOCK_WAS_UNSUCCESSFUL, "Reallocation of a buffer control block was unsuccessful.") \
    QZ_ERROR_ROW(207, QZERR_REALLOCATION_OF_THE_DATA_BUFFER_WAS_UNSUCCESSFUL, "Reallocation of the data buffer was unsuccessful.") \
    QZ_ERROR_ROW(208, QZERR_BAD_SAMPLE_SIZE, "Bad Sample Size") \
    QZ_ERROR_ROW(209, QZERR_CANNOT_ALLOCATE_LIST, "Cannot Allocate List") \
    QZ_ERROR_ROW(210, QZERR_BAD_LIST_HANDLE, "Bad List Handle") \
    QZ_ERROR_ROW(211, QZERR_LIST_NOT_EMPTY, "List Not Empty") \
    QZ_ERROR_ROW(212, QZERR_BUFFFER_NOT_LOCKED, "Bufffer Not Locked") \
    QZ_ERROR_ROW(213, QZERR_INVALID_DMA_CHANNEL_SPECIFIED, "Invalid DMA Channel specified") \
    QZ_ERROR_ROW(214, QZERR_SPECIFIED_DMA_CHANNEL_IN_USE, "Specified DMA Channel in use") \
    QZ_ERROR_ROW(215, QZERR_INVALID_IRQ_SPECIFIED, "Invalid IRQ specified") \
    QZ_ERROR_ROW(216, QZERR_SPECIFIFED_IRQ_IN_USE, "Specififed IRQ in use") \
    QZ_ERROR_ROW(217, QZERR_BUFFER_HAS_NO_VALID_SAMPLES, "Buffer has no valid samples") \
    QZ_ERROR_ROW(218, QZERR_VALID_SAMPLES_CANNOT_BE_LARGER_THAN_BUFFER, "Valid Samples cannot be larger than buffer") \
    QZ_ERROR_ROW(219, QZERR_SPECIFIED_BUFFER_TOO_SMALL_FOR_REQUESTED_COPY_OPERATION, "Specified buffer too small for requested copy operation") \
    QZ_ERROR_ROW(220, QZERR_REQUESTED_OPERATION_REQUIRES_THAT_VALID_SAMPLES_IN_BUFFER_BE_A_MULTIPLE_OF_2, "Requested operation requires that valid samples in buffer be a multiple of 2")
// clang-format on
