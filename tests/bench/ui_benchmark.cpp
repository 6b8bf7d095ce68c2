// Redrawing the whole 480 x 640 device screen with a dialog of eight controls over it.
#include <benchmark/benchmark.h>

#include "frontend/comnctls.h"
#include "platform/headless/headless_backend.h"
#include "platform/menus.h"
#include "platform/window_system.h"

namespace {

void BM_RedrawDialogScreen(benchmark::State& state) {
  HeadlessBackend backend;
  open_window_system(backend, 480, 640);
  CWnd::RegisterWndClass();
  {
    CWnd dialog;
    dialog.SetTitle(u"显示设置");
    dialog.Create();
    dialog.SetDesignSize(241, 321);
    CStatic st_1, st_2, st_3;
    CCombBox cb_frame_skip, cb_scale;
    CCheckBox ckb_use_2xsai;
    CEditBox eb_delay;
    CButton pb_clear;
    struct Entry {
      CWnd* control;
      const char16_t* text;
      int x, y, w, h;
    } entries[] = {
        {&st_1, u"跳帧:", 15, 20, 191, 31},
        {&cb_frame_skip, u"", 15, 55, 126, 120},
        {&st_3, u"屏幕拉伸方式:", 15, 85, 191, 21},
        {&cb_scale, u"", 15, 120, 191, 120},
        {&ckb_use_2xsai, u"启用2xSai(慢)", 15, 160, 186, 26},
        {&st_2, u"每帧延时的周期数:", 15, 200, 191, 21},
        {&eb_delay, u"0", 15, 225, 126, 26},
        {&pb_clear, u"清除", 150, 225, 86, 26},
    };
    for (Entry& e : entries) {
      e.control->SetParent(dialog.hwnd);
      e.control->SetTitle(e.text);
    }
    st_1.CreateControl();
    st_2.CreateControl();
    st_3.CreateControl();
    cb_frame_skip.CreateControl();
    cb_scale.CreateControl();
    ckb_use_2xsai.CreateControl();
    eb_delay.CreateControl();
    pb_clear.CreateControl();
    for (Entry& e : entries) dialog.Place(e.control, e.x, e.y, e.w, e.h);
    for (const char16_t* item :
         {u"没有拉伸", u"2倍屏幕大小(VGA以上)", u"全屏拉伸", u"全屏等比拉伸"}) {
      cb_scale.AddString(item);
    }
    cb_scale.SetCurSel(1);
    cb_frame_skip.AddString(u"0");
    cb_frame_skip.SetCurSel(0);
    CMenu bar, ok, cancel;
    ok.SetText(u"确定");
    cancel.SetText(u"取消");
    bar.Create();
    bar.AppendItem(&ok);
    bar.AppendItem(&cancel);
    dialog.CreateMenuBar(&bar);
    eb_delay.SetFocus();
    for (auto _ : state) {
      redraw_screen();
      benchmark::DoNotOptimize(screen().pixels()[480 * 100 + 20]);
    }
  }
  close_window_system();
}
BENCHMARK(BM_RedrawDialogScreen)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
