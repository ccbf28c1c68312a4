#include "EditorHints.h"

#include <cstring>

namespace {
struct THint {
    const char* Name;
    const char* Text;
};
constexpr THint kHints[] = {
    {"UndoBtn", "アンドゥ　元に戻します"},
    {"RedoBtn", "リドゥ　やり直します"},
    {"MoveBtn", "移動　クリックしながらマウス移動でイメージ位置が移動できます"},
    {"OtherBtn", "回転や反転が行えます"},
    {"PenBtn", "1ピクセル単位で描画できます"},
    {"FillBtn", "塗りつぶし"},
    {"grid", "グリッド線のON/OFF"},
    {"LineBtn", "直線を引きます。[Shift]キーを押しながら行えば45ﾟ単位で引けます"},
    {"SquareBtn", "長方形を描きます。[Shift]キーを押しながら行えば正方形になります"},
    {"CircleBtn", "楕円を描きます。[Shift]キー押しながら行えば真円になります"},
    {"FillSquareBtn", "塗りつぶし長方形を描きます。[Shift]キーを押しながら行えば正方形になります"},
    {"FillCircleBtn", "塗りつぶし楕円を描きます。[Shift]キー押しながら行えば真円になります"},
    {"CheckBox1", "スケルトンカラーにできます。白は透過色、黒は反転色となります"},
    {"Button4", "アレンジした色を適用させます"},
    {"PaletteImage", "左クリックで主色(赤枠)選択。右クリックで補助色(青枠)の選択。ドラッグで色の移動"},
    {"MakeGrad", "主色(赤枠)～補助色(青枠)のグラデーションを生成します"},
    {"RGBDISP", "光三原色、RGB値(赤,緑,青)で表現します"},
    {"CMYDISP", "印刷三原色、CMY値(ｼｱﾝ,ﾏｾﾞﾝﾀ,ｲｴﾛｰ)で表現します"},
    {"HSLDISP", "光三属性、HSL値(色調Hue,彩度Saturation,明度Lightness)で表現します"},
    {"SelectBtn", "イメージの一部を矩形選択し、移動、コピー等を行います"},
    {"PopupBtn", "クリップボードメニュー"},
    {"ToolBar1", "　"},
    {"Panel5", "　"},
    {"EditDlg", "　"},
    {"PaintBox1", "右クリックで色が拾えます"},
};
}  // namespace

const char* EditorStatusHint(const std::string& componentName) {
    for (const THint& h : kHints)
        if (componentName == h.Name) return h.Text;
    return nullptr;
}
