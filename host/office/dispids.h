#pragma once

// Office's published interface ids, dispatch ids and enumeration values: the one place they
// are written. The typed wrappers (which call Office), the frame (which answers Office) and
// the simulated Office (which answers the wrappers) all use these names.

#include <cstdint>

#include "base/guid.h"
#include "host/object.h"

namespace tarvex::host::office {

namespace iid {
inline constexpr base::Guid CommandBars =
    base::Guid::Parse("{000C0302-0000-0000-C000-000000000046}");
inline constexpr base::Guid CommandBar =
    base::Guid::Parse("{000C0304-0000-0000-C000-000000000046}");
inline constexpr base::Guid CommandBarControls =
    base::Guid::Parse("{000C0306-0000-0000-C000-000000000046}");
inline constexpr base::Guid CommandBarControl =
    base::Guid::Parse("{000C0308-0000-0000-C000-000000000046}");
inline constexpr base::Guid CommandBarPopup =
    base::Guid::Parse("{000C030A-0000-0000-C000-000000000046}");
inline constexpr base::Guid CommandBarComboBox =
    base::Guid::Parse("{000C030C-0000-0000-C000-000000000046}");
inline constexpr base::Guid CommandBarButton =
    base::Guid::Parse("{000C030E-0000-0000-C000-000000000046}");
/// _CommandBarButtonEvents, the source interface of a button's connection point.
inline constexpr base::Guid CommandBarButtonEvents =
    base::Guid::Parse("{000C0351-0000-0000-C000-000000000046}");
/// _CommandBarComboBoxEvents, the source interface of a combo box's connection point.
inline constexpr base::Guid CommandBarComboBoxEvents =
    base::Guid::Parse("{000C0354-0000-0000-C000-000000000046}");
inline constexpr base::Guid ComAddIn = base::Guid::Parse("{000C033A-0000-0000-C000-000000000046}");
inline constexpr base::Guid CustomTaskPaneConsumer =
    base::Guid::Parse("{000C033E-0000-0000-C000-000000000046}");
inline constexpr base::Guid RibbonControl =
    base::Guid::Parse("{000C0395-0000-0000-C000-000000000046}");
inline constexpr base::Guid RibbonExtensibility =
    base::Guid::Parse("{000C0396-0000-0000-C000-000000000046}");
inline constexpr base::Guid RibbonUI = base::Guid::Parse("{000C03A7-0000-0000-C000-000000000046}");
/// _IDTExtensibility2 (dual).
inline constexpr base::Guid DTExtensibility2 =
    base::Guid::Parse("{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}");
inline constexpr base::Guid PictureDisp =
    base::Guid::Parse("{7BF80981-BF32-101A-8BBB-00AA00300CAB}");
} // namespace iid

// Office numbers its dispatch ids by inheritance depth: the collections' own members are
// 0x6003xxxx, CommandBar's and CommandBarControl's 0x6004xxxx, and the members that a
// button, pop-up or combo box adds to CommandBarControl 0x6005xxxx.

namespace command_bars {
inline constexpr DispId Item = 0x0; // the default member; Index
inline constexpr DispId Add = 0x60030002;
inline constexpr DispId Count = 0x60030003;
inline constexpr DispId FindControl = 0x60030008;
} // namespace command_bars

namespace command_bar {
inline constexpr DispId BuiltIn = 0x60040000;
inline constexpr DispId Controls = 0x60040003;
inline constexpr DispId Delete = 0x60040004;
inline constexpr DispId Enabled = 0x60040005;
inline constexpr DispId FindControl = 0x60040007;
inline constexpr DispId Index = 0x6004000A;
inline constexpr DispId Left = 0x6004000C;
inline constexpr DispId Name = 0x6004000E;
inline constexpr DispId NameLocal = 0x60040010;
inline constexpr DispId Position = 0x60040013;
inline constexpr DispId RowIndex = 0x60040015;
inline constexpr DispId Protection = 0x60040017;
inline constexpr DispId Top = 0x6004001B;
inline constexpr DispId Type = 0x6004001D;
inline constexpr DispId Visible = 0x6004001E;
} // namespace command_bar

namespace command_bar_controls {
inline constexpr DispId Item = 0x0; // the default member; Index
inline constexpr DispId Add = 0x60030000;
inline constexpr DispId Count = 0x60030001;
} // namespace command_bar_controls

namespace control {
inline constexpr DispId BeginGroup = 0x60040000;
inline constexpr DispId BuiltIn = 0x60040002;
inline constexpr DispId Caption = 0x60040003;
inline constexpr DispId Delete = 0x60040007;
inline constexpr DispId DescriptionText = 0x60040008;
inline constexpr DispId Enabled = 0x6004000A;
inline constexpr DispId Execute = 0x6004000C;
inline constexpr DispId Height = 0x6004000D;
inline constexpr DispId HelpContextId = 0x6004000F;
inline constexpr DispId HelpFile = 0x60040011;
inline constexpr DispId Id = 0x60040013;
inline constexpr DispId Index = 0x60040014;
inline constexpr DispId Move = 0x60040016;
inline constexpr DispId OnAction = 0x6004001A;
inline constexpr DispId Parameter = 0x6004001D;
inline constexpr DispId Priority = 0x6004001F;
inline constexpr DispId Tag = 0x60040023;
inline constexpr DispId TooltipText = 0x60040025;
inline constexpr DispId Type = 0x60040028;
inline constexpr DispId Visible = 0x60040029;
inline constexpr DispId Width = 0x6004002B;
} // namespace control

namespace button {
inline constexpr DispId FaceId = 0x60050003;
inline constexpr DispId PasteFace = 0x60050005;
inline constexpr DispId ShortcutText = 0x60050006;
inline constexpr DispId State = 0x60050008;
inline constexpr DispId Style = 0x6005000A;
inline constexpr DispId HyperlinkType = 0x6005000C;
inline constexpr DispId Picture = 0x6005000E;
inline constexpr DispId Mask = 0x60050010;
} // namespace button

namespace popup {
inline constexpr DispId CommandBar = 0x60050000;
inline constexpr DispId Controls = 0x60050001;
} // namespace popup

namespace button_events {
/// Click(Ctrl, CancelDefault by reference).
inline constexpr DispId Click = 0x1;
} // namespace button_events

namespace combo_box_events {
/// Change(Ctrl).
inline constexpr DispId Change = 0x1;
} // namespace combo_box_events

namespace ribbon_ui {
inline constexpr DispId Invalidate = 0x1;
inline constexpr DispId InvalidateControl = 0x2; // ControlID
} // namespace ribbon_ui

namespace ribbon_control {
inline constexpr DispId Id = 0x1;
inline constexpr DispId Context = 0x2;
inline constexpr DispId Tag = 0x3;
} // namespace ribbon_control

namespace ribbon_extensibility {
inline constexpr DispId GetCustomUI = 0x1; // RibbonID
} // namespace ribbon_extensibility

namespace task_pane_consumer {
inline constexpr DispId CTPFactoryAvailable = 0x1;
} // namespace task_pane_consumer

namespace com_addin {
inline constexpr DispId Description = 0x0; // the default member
inline constexpr DispId ProgId = 0x3;
inline constexpr DispId Guid = 0x4;
inline constexpr DispId Connect = 0x6;
inline constexpr DispId Object = 0x7;
inline constexpr DispId Parent = 0x8;
} // namespace com_addin

/// _IDTExtensibility2: its methods by dispatch id, in vtable order after IDispatch.
namespace extensibility {
inline constexpr DispId OnConnection = 1;
inline constexpr DispId OnDisconnection = 2;
inline constexpr DispId OnAddInsUpdate = 3;
inline constexpr DispId OnStartupComplete = 4;
inline constexpr DispId OnBeginShutdown = 5;
} // namespace extensibility

/// ext_ConnectMode.
inline constexpr std::int32_t ext_cm_AfterStartup = 0;
inline constexpr std::int32_t ext_cm_Startup = 1;
inline constexpr std::int32_t ext_cm_External = 2;
inline constexpr std::int32_t ext_cm_CommandLine = 3;
/// ext_DisconnectMode.
inline constexpr std::int32_t ext_dm_HostShutdown = 0;
inline constexpr std::int32_t ext_dm_UserClosed = 1;

/// MsoControlType.
inline constexpr std::int32_t msoControlCustom = 0;
inline constexpr std::int32_t msoControlButton = 1;
inline constexpr std::int32_t msoControlEdit = 2;
inline constexpr std::int32_t msoControlDropdown = 3;
inline constexpr std::int32_t msoControlComboBox = 4;
inline constexpr std::int32_t msoControlButtonDropdown = 5;
inline constexpr std::int32_t msoControlSplitDropdown = 6;
inline constexpr std::int32_t msoControlOCXDropdown = 7;
inline constexpr std::int32_t msoControlGenericDropdown = 8;
inline constexpr std::int32_t msoControlGraphicDropdown = 9;
inline constexpr std::int32_t msoControlPopup = 10;
inline constexpr std::int32_t msoControlGraphicPopup = 11;
inline constexpr std::int32_t msoControlButtonPopup = 12;
inline constexpr std::int32_t msoControlSplitButtonPopup = 13;
inline constexpr std::int32_t msoControlSplitButtonMRUPopup = 14;
inline constexpr std::int32_t msoControlLabel = 15;

/// MsoButtonState.
inline constexpr std::int32_t msoButtonUp = 0;
inline constexpr std::int32_t msoButtonDown = -1;
inline constexpr std::int32_t msoButtonMixed = 2;

/// MsoButtonStyle.
inline constexpr std::int32_t msoButtonAutomatic = 0;
inline constexpr std::int32_t msoButtonIcon = 1;
inline constexpr std::int32_t msoButtonCaption = 2;
inline constexpr std::int32_t msoButtonIconAndCaption = 3;
inline constexpr std::int32_t msoButtonIconAndWrapCaption = 7;
inline constexpr std::int32_t msoButtonIconAndCaptionBelow = 11;
inline constexpr std::int32_t msoButtonWrapCaption = 14;
inline constexpr std::int32_t msoButtonIconAndWrapCaptionBelow = 15;

/// MsoCommandBarButtonHyperlinkType.
inline constexpr std::int32_t msoCommandBarButtonHyperlinkNone = 0;
inline constexpr std::int32_t msoCommandBarButtonHyperlinkOpen = 1;
inline constexpr std::int32_t msoCommandBarButtonHyperlinkInsertPicture = 2;

/// MsoBarPosition.
inline constexpr std::int32_t msoBarLeft = 0;
inline constexpr std::int32_t msoBarTop = 1;
inline constexpr std::int32_t msoBarRight = 2;
inline constexpr std::int32_t msoBarBottom = 3;
inline constexpr std::int32_t msoBarFloating = 4;
inline constexpr std::int32_t msoBarPopup = 5;
inline constexpr std::int32_t msoBarMenuBar = 6;

/// MsoBarProtection: flags that may be combined.
inline constexpr std::int32_t msoBarNoProtection = 0;
inline constexpr std::int32_t msoBarNoCustomize = 1;
inline constexpr std::int32_t msoBarNoResize = 2;
inline constexpr std::int32_t msoBarNoMove = 4;
inline constexpr std::int32_t msoBarNoChangeVisible = 8;
inline constexpr std::int32_t msoBarNoChangeDock = 16;
inline constexpr std::int32_t msoBarNoVerticalDock = 32;
inline constexpr std::int32_t msoBarNoHorizontalDock = 64;

/// MsoBarType: what CommandBar.Type answers.
inline constexpr std::int32_t msoBarTypeNormal = 0;
inline constexpr std::int32_t msoBarTypeMenuBar = 1;
inline constexpr std::int32_t msoBarTypePopup = 2;

} // namespace tarvex::host::office
