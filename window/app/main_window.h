#pragma once
// The program's one window: every control under its design name, start-up,
// the size cap, exit, and the pitch list's load and delete.

#include "intake/common_frame.h"
#include "intake/picture_cache.h"
#include "job/job_state.h"
#include "params/print_settings.h"
#include "params/size_exchange.h"
#include "sheet/sheet_geometry.h"
#include "tiff/tiff_container.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QAction;
class QToolButton;

namespace tovrel {

class DoubleClickGuard;
class DriveList;
class FileList;
class FlipPreview;
class FolderList;
class FrameMarker;
class NameBox;
class ProgressScrollBar;

class mainS : public QWidget {
    Q_OBJECT
  public:
    // dataFolder is the folder that holds the data file kvxj.dll; pictures
    // other than plain 24-bit BMP files are decoded into cacheFolder
    // (dataFolder/cache when none is given).
    explicit mainS(std::filesystem::path dataFolder, std::filesystem::path cacheFolder = {},
                   QWidget* parent = nullptr);
    // Removes the decoded pictures no slot holds, and stops the handlers that
    // losing the focus would run while the controls go.
    ~mainS() override;

    JobState job;

    // The controls; array elements are named "TextX(0)" and so on.
    NameBox* Text1 = nullptr;
    NameBox* Text2 = nullptr;
    NameBox* Text3 = nullptr;
    NameBox* Text4 = nullptr;
    std::array<QLineEdit*, 4> TextX{};
    std::array<QLineEdit*, 4> TextY{};
    QPushButton* Command1 = nullptr;
    QLineEdit* TextOUT = nullptr;
    DriveList* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    QPushButton* Command2 = nullptr;
    ProgressScrollBar* HScroll1 = nullptr;
    QComboBox* CombK = nullptr;
    QComboBox* Combo3 = nullptr;
    QComboBox* Combo4 = nullptr;
    std::array<QFrame*, 4> Picture1{};
    QCheckBox* LB1 = nullptr;
    QComboBox* CombG = nullptr;
    QCheckBox* YBL = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command3 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Op_h = nullptr;
    QRadioButton* Op_s = nullptr;
    std::array<QLabel*, 4> Image1{};
    std::array<QLabel*, 4> LabXY{};
    // The common frame drawn over each preview.
    std::array<FrameMarker*, 4> FrameMark{};
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* CommandFlip = nullptr;
    QPushButton* CommandPitchTest = nullptr;
    // "更多…": a small button whose menu holds the dialogs beyond the
    // design's own ("多帧…" for cards of many frames, "色彩…" for colour
    // profiles).
    QToolButton* CommandMore = nullptr;
    QAction* ActionFrames = nullptr;
    QAction* ActionColour = nullptr;
    QAction* ActionSheet = nullptr; // "拼版…"
    // The status line under everything: what the last run wrote, and a
    // button that opens the folder it lies in.
    QLabel* LabelDone = nullptr;
    QPushButton* CommandOpen = nullptr;
    QCheckBox* PrinterRes = nullptr;
    QComboBox* ComboRes = nullptr;

    // Every message box of the window: title "Tovrel", one OK button, modal.
    // While messageHook is set it receives the text instead.
    void showMessage(const QString& text);
    std::function<void(const QString&)> messageHook;
    // The same box with the buttons Yes and No, No the default; true for Yes.
    // While questionHook is set it receives the text and gives the answer.
    bool askQuestion(const QString& text);
    std::function<bool(const QString&)> questionHook;

    // Opens a folder in the desktop's file manager; while openFolderHook is
    // set it receives the folder instead.
    void openFolder(const QString& folder);
    std::function<void(const QString&)> openFolderHook;

    // The three credit lines of the maker.
    void writeCredits();

    // The start button back to "确定"; the output box takes typing again,
    // except inside a run, whose end unlocks it.
    void resetStartButton();

    // Refills the pitch box from the data file and leaves "栅距mm" in it.
    void loadXJ();

    void Form_Load();
    void Form_Resize();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Combo3_Click();
    void Combo3_Change();
    void Combo4_Click();
    void Combo4_Change();
    void CombK_Change();
    void CombG_Change();
    void LB1_Click();
    void Op_h_Click();
    void Op_s_Click();
    // Opens the flip preview, or brings it to the front.
    void CommandFlip_Click();
    // Opens the pitch test dialog with the pitch box's pitch and the flip
    // direction.
    void CommandPitchTest_Click();
    // Opens the frames dialog with the window's print settings.
    void ActionFrames_Click();
    // Opens the colour dialog: profiles, intent and black-point compensation.
    void ActionColour_Click();
    void ActionSheet_Click();
    // An anchor box edited by the user.
    void TextX_Change();
    void TextY_Change();
    void CommandOpen_Click();
    // The status line: what a run wrote and the folder it lies in; empty
    // texts clear it.
    void showRunStatus(const QString& lines, const QString& folder);
    void PrinterRes_Click();
    void ComboRes_Click();
    void ComboRes_Change();
    // Typing in the resolution box ended (Return or leaving the box).
    void ComboRes_LostFocus();

    // Stores pitch and sharpness with their resolution and shows it in
    // pixels per inch. False when there is no resolution to show and the
    // label keeps its text.
    bool PrintFBL();

    // The print settings as the controls hold them.
    SettingsTexts settingsTexts() const;
    // The settings of a run from them, with the colour dialog's choice.
    RunSettings runSettings() const;

    // Reads the header of every chosen picture, shows previews and sizes,
    // works out the common frame and proposes a print size.
    void GetF_info();

    // Picking the pictures into the four slots.
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text3_GotFocus();
    void Text4_GotFocus();
    // Files dropped onto the window, put into the slots one by one as if
    // picked in the file list.
    void dropPictures(const QStringList& files);
    // Name box Text1 to Text4 of a slot 1 to 4.
    NameBox* nameBox(int slot) const;

    // Writes the header of the current run (tifW, tifH, fbl) in the run's
    // form into file and records the run's pitch; false, after a message,
    // when no header was written.
    bool MakeTif(const std::filesystem::path& file, TiffForm form);

    const std::filesystem::path& dataFolder() const { return dataFolder_; }

    // The chosen pictures with pitch and sharpness as the boxes show them
    // now: what confirming would give a run.
    JobState flipJob() const;
    // The open flip preview, or null.
    FlipPreview* flipPreview() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildControls();
    void setFocusOrder();
    void connectHandlers();
    void connectFileSelection();
    // Enables the white-gap list with its first item chosen.
    void enableWhiteGapList();
    // The flip preview follows every change of the pictures and settings.
    void connectFlip();
    void flipInputsChanged();
    // Pictures picked or dropped: the preview reads them again.
    void flipPicturesChanged();
    void updateFlip();
    // A click in the file list, or a dropped file: the file fileName of
    // folder goes into the active slot.
    void pickFile(const QString& folder, const QString& fileName);
    // Proposes the print size of the common frame, as picking does.
    void proposePrintSize();
    // The common frame and the proportion again, from the anchor boxes.
    void followAnchors();
    // The size box the user typed into since the last size proposal: anchors
    // changed later keep that value and the lock recomputes the other.
    enum class TypedSize { None, Width, Height };
    TypedSize typedSize_ = TypedSize::None;
    // The frame size of the last proposal.
    int32_t proposedBaseW_ = 0;
    int32_t proposedBaseH_ = 0;
    // The folder of the output file the last run wrote.
    QString doneFolder_;
    // The printer resolution choice in the user's settings.
    void loadPrinterChoice();
    void savePrinterChoice();
    // The printer resolution controls changed: confirm again, show what
    // resolution the run would have.
    void printerChoiceChanged();
    // The colour dialog's choice in the user's settings; a kept profile that
    // no longer opens is dropped for sRGB, with a message.
    void loadColourChoice();
    void saveColourChoice();
    // The folder list opens the folder last used, kept in the user's settings.
    void loadLastFolder();
    // Draws the common frame over the previews of the filled slots; hides the
    // other marks.
    void markCommonFrame(const CommonFrame& frame);
    // The start button's two steps.
    void confirmParameters();
    void runInterlacing();
    // Whether the run may write over an existing output file.
    bool mayReplaceOutput();
    bool running_ = false;
    DoubleClickGuard* startGuard_ = nullptr;

    std::filesystem::path dataFolder_;
    PictureCache pictureCache_;
    // Bleed and press sheet, as the sheet dialog last left them.
    SheetSettings press_;
    Result<SheetLayout> sheetLayout(const SheetSettings& press) const;
    bool loaded_ = false;
    // The width and height boxes answering each other.
    SizeExchange sizeExchange_;
    QPointer<FlipPreview> flipPreview_;
    bool flipUpdatePending_ = false;
};

} // namespace tovrel
