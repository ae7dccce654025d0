<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CMainFrame</name>
    <message>
        <source>Open...</source>
        <translation>打开...</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save As...</source>
        <translation>另存为...</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>导出...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>ToolBar</source>
        <translation>工具栏</translation>
    </message>
    <message>
        <source>ContextBar</source>
        <translation>选项栏</translation>
    </message>
    <message>
        <source>Help...</source>
        <translation>帮助...</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>关于...</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>系统默认</translation>
    </message>
    <message>
        <source>Check for Updates...</source>
        <translation>检查更新...</translation>
    </message>
    <message>
        <source>Online...</source>
        <translation>访问官方网站...</translation>
    </message>
    <message>
        <source>Cascade</source>
        <translation>层叠</translation>
    </message>
    <message>
        <source>Tile</source>
        <translation>平铺</translation>
    </message>
    <message>
        <source>Arrange Icons</source>
        <translation>排列图标</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>窗口(&amp;W)</translation>
    </message>
    <message>
        <source>Recent File</source>
        <translation>最近的文件</translation>
    </message>
    <message>
        <source>Next Window</source>
        <translation>下一个窗口</translation>
    </message>
    <message>
        <source>Previous Window</source>
        <translation>上一个窗口</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>%1 × %2</source>
        <translation>%1 × %2</translation>
    </message>
</context>
<context>
    <name>QVExportDlg</name>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>PathName</source>
        <translation>保存位置</translation>
    </message>
    <message>
        <source>Size(Before/After)</source>
        <translation>尺寸（术前/术后）</translation>
    </message>
    <message>
        <source>Size(Combined)</source>
        <translation>尺寸（对比图）</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>导出内容</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>路径</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>宽度</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高度</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>术前</translation>
    </message>
    <message>
        <source>After</source>
        <translation>术后</translation>
    </message>
    <message>
        <source>Combined</source>
        <translation>对比图</translation>
    </message>
    <message>
        <source>Screenshots</source>
        <translation>仅可见区域</translation>
    </message>
    <message>
        <source>Mark</source>
        <translation>添加标注</translation>
    </message>
    <message>
        <source>Left\Right</source>
        <translation>左\右</translation>
    </message>
    <message>
        <source>Top\Bottom</source>
        <translation>上\下</translation>
    </message>
    <message>
        <source>Enter no more than %1 characters.</source>
        <translation>请输入不超过 %1 个字符。</translation>
    </message>
    <message>
        <source>Enter an integer.</source>
        <translation>请输入整数。</translation>
    </message>
    <message>
        <source>Choose a file type for the exported pictures.</source>
        <translation>请为导出的图像选择文件类型。</translation>
    </message>
</context>
<context>
    <name>QVProgressDlg</name>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>正在取消...</translation>
    </message>
</context>
<context>
    <name>QVStrings</name>
    <message>
        <source>Morvane</source>
        <translation>Morvane</translation>
    </message>
    <message>
        <source>Simulated results are illustrations for discussion only.
They are not a promise of any surgical outcome.</source>
        <translation>模拟结果仅为供沟通讨论使用的示意图，
不构成对任何手术效果的承诺。</translation>
    </message>
    <message>
        <source>Morvane  Version 1.0.0.5</source>
        <translation>Morvane  版本 1.0.0.5</translation>
    </message>
    <message>
        <source>ToolBar</source>
        <translation>工具栏</translation>
    </message>
    <message>
        <source>ContextBar</source>
        <translation>选项栏</translation>
    </message>
    <message>
        <source>MenuBar</source>
        <translation>菜单栏</translation>
    </message>
    <message>
        <source>Unnamed</source>
        <translation>未命名</translation>
    </message>
    <message>
        <source>Failed to create the folder:
%1</source>
        <translation>无法创建文件夹：
%1</translation>
    </message>
    <message>
        <source>Export successfully !</source>
        <translation>导出成功！</translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation>选择文件夹</translation>
    </message>
    <message>
        <source>Failed to open the file:
%1</source>
        <translation>无法打开文件：
%1</translation>
    </message>
    <message>
        <source>Failed to save the file:
%1</source>
        <translation>无法保存文件：
%1</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>术前</translation>
    </message>
    <message>
        <source>After</source>
        <translation>术后</translation>
    </message>
    <message>
        <source>Combined</source>
        <translation>对比图</translation>
    </message>
    <message>
        <source>BMP Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png|JPG Files (*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF Files (*.tif)|*.tif||</source>
        <translation>BMP 文件 (*.bmp)|*.bmp|PNG 文件 (*.png)|*.png|JPG 文件 (*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF 文件 (*.tif)|*.tif||</translation>
    </message>
    <message>
        <source>Supported files(*.bmp,*.png,*.jpg,*.tif)|*.bmp;*.png;*.jpg;*.tif|BMP Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png|JPG Files (*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF Files (*.tif)|*.tif||</source>
        <translation>所有支持的文件(*.bmp,*.png,*.jpg,*.tif)|*.bmp;*.png;*.jpg;*.tif|BMP 文件 (*.bmp)|*.bmp|PNG 文件 (*.png)|*.png|JPG 文件 (*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF 文件 (*.tif)|*.tif||</translation>
    </message>
    <message>
        <source>Language setup failed!</source>
        <translation>语言设置失败！</translation>
    </message>
    <message>
        <source>Language setup succesfully!
You should restart this programe!</source>
        <translation>语言设置成功！
请重新启动本程序以使更改生效。</translation>
    </message>
    <message>
        <source>Load languange resource failed!
System will use the default language!</source>
        <translation>加载语言资源失败！
程序将使用默认语言。</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>另存为</translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation>是否保存对 %1 的更改？</translation>
    </message>
    <message>
        <source>Stretch the picture in the control circle</source>
        <translation>拖动以拉伸控制圆内的图像</translation>
    </message>
    <message>
        <source>Circle Stretching Tool</source>
        <translation>圆形拉伸工具</translation>
    </message>
    <message>
        <source>Shrink/Expanse the picture in the control circle</source>
        <translation>收缩或放大控制圆内的图像</translation>
    </message>
    <message>
        <source>Circle Shrinking/Expansion Tool</source>
        <translation>圆形收缩/放大工具</translation>
    </message>
    <message>
        <source>Move the picture</source>
        <translation>移动图像</translation>
    </message>
    <message>
        <source>Hand Tool</source>
        <translation>抓手工具</translation>
    </message>
    <message>
        <source>Stretch the picture in the control region</source>
        <translation>拖动以拉伸控制区域内的图像</translation>
    </message>
    <message>
        <source>Region Stretching Tool</source>
        <translation>区域拉伸工具</translation>
    </message>
    <message>
        <source>Shrink/Expanse the picture in the control region</source>
        <translation>收缩或放大控制区域内的图像</translation>
    </message>
    <message>
        <source>Region Shrinking/Expansion Tool</source>
        <translation>区域收缩/放大工具</translation>
    </message>
    <message>
        <source>Use right mouse button to add a new point and use left mouse button to move the point</source>
        <translation>单击鼠标右键添加新的控制点，按住鼠标左键拖动以移动控制点</translation>
    </message>
    <message>
        <source>Control Point Editing Tool</source>
        <translation>控制点编辑工具</translation>
    </message>
    <message>
        <source>Click right mouse button to copy and click left mouse button to paste</source>
        <translation>单击鼠标右键复制，单击鼠标左键粘贴</translation>
    </message>
    <message>
        <source>Copy Tool</source>
        <translation>复制工具</translation>
    </message>
    <message>
        <source>Blur the picture</source>
        <translation>模糊图像</translation>
    </message>
    <message>
        <source>Blur Tool</source>
        <translation>模糊工具</translation>
    </message>
    <message>
        <source>Eraser the picture to begin</source>
        <translation>擦除修改，恢复原始图像</translation>
    </message>
    <message>
        <source>Eraser Tool</source>
        <translation>橡皮擦工具</translation>
    </message>
    <message>
        <source>Zoom in the picture</source>
        <translation>放大视图</translation>
    </message>
    <message>
        <source>ZoomIn Tool</source>
        <translation>放大视图工具</translation>
    </message>
    <message>
        <source>Zoom out the picture</source>
        <translation>缩小视图</translation>
    </message>
    <message>
        <source>ZoomOut Tool</source>
        <translation>缩小视图工具</translation>
    </message>
    <message>
        <source>Unzoom the picture</source>
        <translation>按实际大小（1:1）显示图像</translation>
    </message>
    <message>
        <source>Unzoom Tool</source>
        <translation>实际大小工具</translation>
    </message>
    <message>
        <source>Slide it to change the control radius</source>
        <translation>拖动滑块以调整控制半径</translation>
    </message>
    <message>
        <source>Radius Tool</source>
        <translation>半径工具</translation>
    </message>
    <message>
        <source>Select the intersect region</source>
        <translation>选择相交区域：仅变形控制圆与区域重叠的部分</translation>
    </message>
    <message>
        <source>Intersect Region Tool</source>
        <translation>相交区域工具</translation>
    </message>
    <message>
        <source>Select the excluded region</source>
        <translation>选择排除区域：仅变形控制圆内区域以外的部分</translation>
    </message>
    <message>
        <source>Excluded Region Tool</source>
        <translation>排除区域工具</translation>
    </message>
    <message>
        <source>The region selected will cover the region near when deformation happened</source>
        <translation>变形时，所选区域内的图像随之移动，并可覆盖其周围的图像</translation>
    </message>
    <message>
        <source>Cover Tool</source>
        <translation>覆盖工具</translation>
    </message>
    <message>
        <source>The region selected will be covered when deformation happened</source>
        <translation>变形时，仅所选区域内的像素发生变化，并可被周围的图像覆盖</translation>
    </message>
    <message>
        <source>Becover Tool</source>
        <translation>被覆盖工具</translation>
    </message>
    <message>
        <source>Delete all the points</source>
        <translation>删除所有控制点</translation>
    </message>
    <message>
        <source>Delete Points Tool</source>
        <translation>删除控制点工具</translation>
    </message>
    <message>
        <source>Reset the picture to begin</source>
        <translation>将图像重置为原始状态</translation>
    </message>
    <message>
        <source>Reset Tool</source>
        <translation>重置工具</translation>
    </message>
    <message>
        <source>Undo the last action</source>
        <translation>撤销上一步操作</translation>
    </message>
    <message>
        <source>Undo Tool</source>
        <translation>撤销工具</translation>
    </message>
    <message>
        <source>Redo the previously undone action</source>
        <translation>重做上一步撤销的操作</translation>
    </message>
    <message>
        <source>Redo Tool</source>
        <translation>重做工具</translation>
    </message>
    <message>
        <source>Only show the picture before</source>
        <translation>仅显示术前图像</translation>
    </message>
    <message>
        <source>Before mode</source>
        <translation>术前模式</translation>
    </message>
    <message>
        <source>Only show the picture after</source>
        <translation>仅显示术后图像</translation>
    </message>
    <message>
        <source>After mode</source>
        <translation>术后模式</translation>
    </message>
    <message>
        <source>Show the picture before and after in Left\Right mode</source>
        <translation>以左\右并排方式显示术前与术后图像</translation>
    </message>
    <message>
        <source>Combined Left\Right mode</source>
        <translation>左\右对比模式</translation>
    </message>
    <message>
        <source>Show the picture before and after in Top\Bottom mode</source>
        <translation>以上\下排列方式显示术前与术后图像</translation>
    </message>
    <message>
        <source>Combined Top\Bottom mode</source>
        <translation>上\下对比模式</translation>
    </message>
    <message>
        <source>Read the help file</source>
        <translation>打开帮助文档</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>Open an existing document</source>
        <translation>打开现有文档</translation>
    </message>
    <message>
        <source>Close the active document</source>
        <translation>关闭当前文档</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Save the active document</source>
        <translation>保存当前文档</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save the active document with a new name</source>
        <translation>以新名称保存当前文档</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright</source>
        <translation>显示程序信息、版本号和版权信息</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents</source>
        <translation>退出应用程序；提示保存文档</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Saving %1...</source>
        <translation>正在保存 %1...</translation>
    </message>
    <message>
        <source>Exporting picture %1 of %2:
%3</source>
        <translation>正在导出第 %1 张图片，共 %2 张：
%3</translation>
    </message>
    <message>
        <source>The export was cancelled. These pictures were written to the folder %1:
%2</source>
        <translation>导出已取消。以下图片已写入文件夹 %1：
%2</translation>
    </message>
    <message>
        <source>The export was cancelled before any picture was written. The folder %1 was left empty.</source>
        <translation>导出在写入任何图片之前已取消。文件夹 %1 为空。</translation>
    </message>
    <message>
        <source>This export needs about %1 of memory, but only %2 is free.
Nothing was written. Choose smaller sizes, or close other programs, and export again.</source>
        <translation>此次导出大约需要 %1 内存，但可用内存只有 %2。
未写入任何内容。请选择较小的尺寸，或关闭其他程序，然后重新导出。</translation>
    </message>
    <message>
        <source>All picture files</source>
        <translation>所有图像文件</translation>
    </message>
    <message>
        <source>Show the whole picture in the window</source>
        <translation>在窗口中显示整幅图像</translation>
    </message>
    <message>
        <source>Fit in Window</source>
        <translation>适合窗口</translation>
    </message>
    <message>
        <source>Make the control radius a tenth smaller</source>
        <translation>将控制半径缩小十分之一</translation>
    </message>
    <message>
        <source>Smaller Radius</source>
        <translation>减小半径</translation>
    </message>
    <message>
        <source>Make the control radius a tenth larger</source>
        <translation>将控制半径增大十分之一</translation>
    </message>
    <message>
        <source>Larger Radius</source>
        <translation>增大半径</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Pictures to open.</source>
        <translation>要打开的图像文件。</translation>
    </message>
</context>
</TS>
