// The shell's texts, written once in UTF-8 and converted to local text on first use.
#include "app/shell_texts.h"

#include "platform/text.h"

namespace app {

namespace {

ShellTexts convertTexts() {
  const auto local = [](const char* utf8) { return platform::utf8ToLocal(utf8); };
  ShellTexts t;
  t.mainCaption = "Lyrivane";
  t.addButton = local("添加");
  t.removeButton = local("删除");
  t.startButton = local("开始修改");
  t.busyLabel = local("进程正在处理中，请稍后。。");
  t.nameColumn = local("歌曲名");
  t.pathColumn = local("歌曲路径");
  t.infoColumn = local("歌曲信息");
  t.pictureFilter = local("图片文件|*.jpg;*.bmp;*.png");
  t.songDialogTitle = local("请选择文件：");
  t.songFilter = local("音频文件|*.mp3;*.wma;*.ape;*.ogg;*.flac");
  t.notAnAudioFile = local("不是有效的音频文件");
  t.nameNotHeld = local("文件名含有系统代码页无法表示的字符，未打开：");
  t.nothingToRename = local("没有需要处理的文件或者已处理完成");
  t.notASongFile = local("该歌曲不是有效的文件");
  t.askManualRename = local("当前歌曲中不包含任何信息数据，是否需要手动修改？");
  t.allSongsRenamed = local("所有歌曲已处理完成");
  t.infoTitle = local("信息");
  t.okButton = local("确定");
  // Each run of spaces is twelve spaces wide.
  t.helpText = local(
      "欢迎使用本软件，当前版本为：V1.0\r\n"
      "命令            对应说明\r\n"
      "-lrc            直接载入歌词识别界面\r\n"
      "-h            载入帮助信息\r\n"
      "剩下的正在开发中。。。");
  t.lyricsCaption = local("歌词智能判断歌曲名");
  t.yaHeiFont = local("微软雅黑");
  t.simSunFont = local("宋体");
  return t;
}

}  // namespace

const ShellTexts& shellTexts() {
  static const ShellTexts texts = convertTexts();
  return texts;
}

}  // namespace app
