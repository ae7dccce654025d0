<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
<context>
    <name>CMainFrame</name>
    <message>
        <source>Open...</source>
        <translation>열기...</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>저장</translation>
    </message>
    <message>
        <source>Save As...</source>
        <translation>다른 이름으로 저장...</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>내보내기...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>끝내기</translation>
    </message>
    <message>
        <source>ToolBar</source>
        <translation>도구 모음</translation>
    </message>
    <message>
        <source>ContextBar</source>
        <translation>옵션 막대</translation>
    </message>
    <message>
        <source>Help...</source>
        <translation>도움말...</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>프로그램 정보...</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>시스템 기본값</translation>
    </message>
    <message>
        <source>Check for Updates...</source>
        <translation>업데이트 확인...</translation>
    </message>
    <message>
        <source>Online...</source>
        <translation>홈페이지 방문...</translation>
    </message>
    <message>
        <source>Cascade</source>
        <translation>계단식 배열</translation>
    </message>
    <message>
        <source>Tile</source>
        <translation>바둑판식 배열</translation>
    </message>
    <message>
        <source>Arrange Icons</source>
        <translation>아이콘 정렬</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>파일(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>보기(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>도움말(&amp;H)</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>언어</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>창(&amp;W)</translation>
    </message>
    <message>
        <source>Recent File</source>
        <translation>최근 파일</translation>
    </message>
    <message>
        <source>Next Window</source>
        <translation>다음 창</translation>
    </message>
    <message>
        <source>Previous Window</source>
        <translation>이전 창</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1%</translation>
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
        <translation>내보내기</translation>
    </message>
    <message>
        <source>PathName</source>
        <translation>저장 위치</translation>
    </message>
    <message>
        <source>Size(Before/After)</source>
        <translation>크기(수술 전/후)</translation>
    </message>
    <message>
        <source>Size(Combined)</source>
        <translation>크기(전후 비교)</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>내보낼 항목</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>경로</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>너비</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>높이</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>찾아보기</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>수술 전</translation>
    </message>
    <message>
        <source>After</source>
        <translation>수술 후</translation>
    </message>
    <message>
        <source>Combined</source>
        <translation>전후 비교</translation>
    </message>
    <message>
        <source>Screenshots</source>
        <translation>보이는 영역만</translation>
    </message>
    <message>
        <source>Mark</source>
        <translation>라벨 표시</translation>
    </message>
    <message>
        <source>Left\Right</source>
        <translation>좌/우</translation>
    </message>
    <message>
        <source>Top\Bottom</source>
        <translation>상/하</translation>
    </message>
    <message>
        <source>Enter no more than %1 characters.</source>
        <translation>%1자 이내로 입력하십시오.</translation>
    </message>
    <message>
        <source>Enter an integer.</source>
        <translation>정수를 입력하십시오.</translation>
    </message>
    <message>
        <source>Choose a file type for the exported pictures.</source>
        <translation>내보낼 이미지의 파일 형식을 선택하십시오.</translation>
    </message>
</context>
<context>
    <name>QVProgressDlg</name>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>취소하는 중...</translation>
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
        <translation>시뮬레이션 결과는 상담을 위한 참고용 예시 이미지일 뿐이며,
어떠한 수술 결과도 약속하지 않습니다.</translation>
    </message>
    <message>
        <source>Morvane  Version 1.0.0.5</source>
        <translation>Morvane  버전 1.0.0.5</translation>
    </message>
    <message>
        <source>ToolBar</source>
        <translation>도구 모음</translation>
    </message>
    <message>
        <source>ContextBar</source>
        <translation>옵션 막대</translation>
    </message>
    <message>
        <source>MenuBar</source>
        <translation>메뉴 모음</translation>
    </message>
    <message>
        <source>Unnamed</source>
        <translation>제목 없음</translation>
    </message>
    <message>
        <source>Failed to create the folder:
%1</source>
        <translation>폴더를 만들 수 없습니다:
%1</translation>
    </message>
    <message>
        <source>Export successfully !</source>
        <translation>내보내기를 완료했습니다.</translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation>폴더 선택</translation>
    </message>
    <message>
        <source>Failed to open the file:
%1</source>
        <translation>파일을 열 수 없습니다:
%1</translation>
    </message>
    <message>
        <source>Failed to save the file:
%1</source>
        <translation>파일을 저장할 수 없습니다:
%1</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>수술 전</translation>
    </message>
    <message>
        <source>After</source>
        <translation>수술 후</translation>
    </message>
    <message>
        <source>Combined</source>
        <translation>전후 비교</translation>
    </message>
    <message>
        <source>BMP Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png|JPG Files (*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF Files (*.tif)|*.tif||</source>
        <translation>BMP 파일 (*.bmp)|*.bmp|PNG 파일 (*.png)|*.png|JPG 파일 (*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF 파일 (*.tif)|*.tif||</translation>
    </message>
    <message>
        <source>Supported files(*.bmp,*.png,*.jpg,*.tif)|*.bmp;*.png;*.jpg;*.tif|BMP Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png|JPG Files (*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF Files (*.tif)|*.tif||</source>
        <translation>지원되는 모든 파일(*.bmp,*.png,*.jpg,*.tif)|*.bmp;*.png;*.jpg;*.tif|BMP 파일 (*.bmp)|*.bmp|PNG 파일 (*.png)|*.png|JPG 파일 (*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF 파일 (*.tif)|*.tif||</translation>
    </message>
    <message>
        <source>Language setup failed!</source>
        <translation>언어를 설정하지 못했습니다.</translation>
    </message>
    <message>
        <source>Language setup succesfully!
You should restart this programe!</source>
        <translation>언어가 설정되었습니다.
변경 내용을 적용하려면 프로그램을 다시 시작하십시오.</translation>
    </message>
    <message>
        <source>Load languange resource failed!
System will use the default language!</source>
        <translation>언어 리소스를 불러오지 못했습니다.
기본 언어를 사용합니다.</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>열기</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>다른 이름으로 저장</translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation>%1의 변경 내용을 저장하시겠습니까?</translation>
    </message>
    <message>
        <source>Stretch the picture in the control circle</source>
        <translation>제어 원 안의 이미지를 끌어서 늘입니다</translation>
    </message>
    <message>
        <source>Circle Stretching Tool</source>
        <translation>원형 늘이기 도구</translation>
    </message>
    <message>
        <source>Shrink/Expanse the picture in the control circle</source>
        <translation>제어 원 안의 이미지를 축소하거나 확대합니다</translation>
    </message>
    <message>
        <source>Circle Shrinking/Expansion Tool</source>
        <translation>원형 축소/확대 도구</translation>
    </message>
    <message>
        <source>Move the picture</source>
        <translation>이미지를 이동합니다</translation>
    </message>
    <message>
        <source>Hand Tool</source>
        <translation>손 도구</translation>
    </message>
    <message>
        <source>Stretch the picture in the control region</source>
        <translation>제어 영역 안의 이미지를 끌어서 늘입니다</translation>
    </message>
    <message>
        <source>Region Stretching Tool</source>
        <translation>영역 늘이기 도구</translation>
    </message>
    <message>
        <source>Shrink/Expanse the picture in the control region</source>
        <translation>제어 영역 안의 이미지를 축소하거나 확대합니다</translation>
    </message>
    <message>
        <source>Region Shrinking/Expansion Tool</source>
        <translation>영역 축소/확대 도구</translation>
    </message>
    <message>
        <source>Use right mouse button to add a new point and use left mouse button to move the point</source>
        <translation>마우스 오른쪽 버튼으로 새 제어점을 추가하고, 왼쪽 버튼으로 제어점을 이동합니다</translation>
    </message>
    <message>
        <source>Control Point Editing Tool</source>
        <translation>제어점 편집 도구</translation>
    </message>
    <message>
        <source>Click right mouse button to copy and click left mouse button to paste</source>
        <translation>마우스 오른쪽 버튼을 클릭하여 복사하고, 왼쪽 버튼을 클릭하여 붙여 넣습니다</translation>
    </message>
    <message>
        <source>Copy Tool</source>
        <translation>복사 도구</translation>
    </message>
    <message>
        <source>Blur the picture</source>
        <translation>이미지를 흐리게 합니다</translation>
    </message>
    <message>
        <source>Blur Tool</source>
        <translation>흐림 도구</translation>
    </message>
    <message>
        <source>Eraser the picture to begin</source>
        <translation>수정한 부분을 지워 원본 이미지로 되돌립니다</translation>
    </message>
    <message>
        <source>Eraser Tool</source>
        <translation>지우개 도구</translation>
    </message>
    <message>
        <source>Zoom in the picture</source>
        <translation>화면을 확대합니다</translation>
    </message>
    <message>
        <source>ZoomIn Tool</source>
        <translation>확대 보기 도구</translation>
    </message>
    <message>
        <source>Zoom out the picture</source>
        <translation>화면을 축소합니다</translation>
    </message>
    <message>
        <source>ZoomOut Tool</source>
        <translation>축소 보기 도구</translation>
    </message>
    <message>
        <source>Unzoom the picture</source>
        <translation>이미지를 실제 크기(1:1)로 표시합니다</translation>
    </message>
    <message>
        <source>Unzoom Tool</source>
        <translation>실제 크기 도구</translation>
    </message>
    <message>
        <source>Slide it to change the control radius</source>
        <translation>슬라이더를 끌어 제어 반경을 조정합니다</translation>
    </message>
    <message>
        <source>Radius Tool</source>
        <translation>반경 도구</translation>
    </message>
    <message>
        <source>Select the intersect region</source>
        <translation>교차 영역 선택: 제어 원과 영역이 겹치는 부분만 변형합니다</translation>
    </message>
    <message>
        <source>Intersect Region Tool</source>
        <translation>교차 영역 도구</translation>
    </message>
    <message>
        <source>Select the excluded region</source>
        <translation>제외 영역 선택: 제어 원에서 영역을 제외한 부분만 변형합니다</translation>
    </message>
    <message>
        <source>Excluded Region Tool</source>
        <translation>제외 영역 도구</translation>
    </message>
    <message>
        <source>The region selected will cover the region near when deformation happened</source>
        <translation>변형할 때 선택한 영역의 이미지가 함께 이동하며 주변 이미지를 덮을 수 있습니다</translation>
    </message>
    <message>
        <source>Cover Tool</source>
        <translation>덮기 도구</translation>
    </message>
    <message>
        <source>The region selected will be covered when deformation happened</source>
        <translation>변형할 때 선택한 영역 안의 픽셀만 바뀌며, 주변 이미지에 덮일 수 있습니다</translation>
    </message>
    <message>
        <source>Becover Tool</source>
        <translation>덮이기 도구</translation>
    </message>
    <message>
        <source>Delete all the points</source>
        <translation>모든 제어점을 삭제합니다</translation>
    </message>
    <message>
        <source>Delete Points Tool</source>
        <translation>제어점 삭제 도구</translation>
    </message>
    <message>
        <source>Reset the picture to begin</source>
        <translation>이미지를 원래 상태로 초기화합니다</translation>
    </message>
    <message>
        <source>Reset Tool</source>
        <translation>초기화 도구</translation>
    </message>
    <message>
        <source>Undo the last action</source>
        <translation>마지막 작업을 실행 취소합니다</translation>
    </message>
    <message>
        <source>Undo Tool</source>
        <translation>실행 취소 도구</translation>
    </message>
    <message>
        <source>Redo the previously undone action</source>
        <translation>실행 취소한 작업을 다시 실행합니다</translation>
    </message>
    <message>
        <source>Redo Tool</source>
        <translation>다시 실행 도구</translation>
    </message>
    <message>
        <source>Only show the picture before</source>
        <translation>수술 전 이미지만 표시합니다</translation>
    </message>
    <message>
        <source>Before mode</source>
        <translation>수술 전 모드</translation>
    </message>
    <message>
        <source>Only show the picture after</source>
        <translation>수술 후 이미지만 표시합니다</translation>
    </message>
    <message>
        <source>After mode</source>
        <translation>수술 후 모드</translation>
    </message>
    <message>
        <source>Show the picture before and after in Left\Right mode</source>
        <translation>수술 전과 수술 후 이미지를 좌우로 나란히 표시합니다</translation>
    </message>
    <message>
        <source>Combined Left\Right mode</source>
        <translation>좌/우 비교 모드</translation>
    </message>
    <message>
        <source>Show the picture before and after in Top\Bottom mode</source>
        <translation>수술 전과 수술 후 이미지를 상하로 배치하여 표시합니다</translation>
    </message>
    <message>
        <source>Combined Top\Bottom mode</source>
        <translation>상/하 비교 모드</translation>
    </message>
    <message>
        <source>Read the help file</source>
        <translation>도움말 문서를 엽니다</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>도움말</translation>
    </message>
    <message>
        <source>Open an existing document</source>
        <translation>기존 문서를 엽니다</translation>
    </message>
    <message>
        <source>Close the active document</source>
        <translation>활성 문서를 닫습니다</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Save the active document</source>
        <translation>활성 문서를 저장합니다</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>저장</translation>
    </message>
    <message>
        <source>Save the active document with a new name</source>
        <translation>활성 문서를 새 이름으로 저장합니다</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright</source>
        <translation>프로그램 정보, 버전 번호 및 저작권을 표시합니다</translation>
    </message>
    <message>
        <source>About</source>
        <translation>프로그램 정보</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents</source>
        <translation>응용 프로그램을 끝냅니다. 문서를 저장할지 묻습니다</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>끝내기</translation>
    </message>
    <message>
        <source>Saving %1...</source>
        <translation>%1 저장 중...</translation>
    </message>
    <message>
        <source>Exporting picture %1 of %2:
%3</source>
        <translation>그림 %2개 중 %1번째 내보내는 중:
%3</translation>
    </message>
    <message>
        <source>The export was cancelled. These pictures were written to the folder %1:
%2</source>
        <translation>내보내기가 취소되었습니다. 다음 그림은 %1 폴더에 저장되었습니다:
%2</translation>
    </message>
    <message>
        <source>The export was cancelled before any picture was written. The folder %1 was left empty.</source>
        <translation>그림을 저장하기 전에 내보내기가 취소되었습니다. %1 폴더는 비어 있습니다.</translation>
    </message>
    <message>
        <source>This export needs about %1 of memory, but only %2 is free.
Nothing was written. Choose smaller sizes, or close other programs, and export again.</source>
        <translation>이 내보내기에는 약 %1의 메모리가 필요하지만 사용 가능한 메모리는 %2뿐입니다.
아무것도 저장하지 않았습니다. 더 작은 크기를 선택하거나 다른 프로그램을 닫은 다음 다시 내보내십시오.</translation>
    </message>
    <message>
        <source>All picture files</source>
        <translation>모든 이미지 파일</translation>
    </message>
    <message>
        <source>Show the whole picture in the window</source>
        <translation>창에 이미지 전체를 표시합니다</translation>
    </message>
    <message>
        <source>Fit in Window</source>
        <translation>창에 맞추기</translation>
    </message>
    <message>
        <source>Make the control radius a tenth smaller</source>
        <translation>제어 반경을 10분의 1만큼 줄입니다</translation>
    </message>
    <message>
        <source>Smaller Radius</source>
        <translation>반경 줄이기</translation>
    </message>
    <message>
        <source>Make the control radius a tenth larger</source>
        <translation>제어 반경을 10분의 1만큼 늘립니다</translation>
    </message>
    <message>
        <source>Larger Radius</source>
        <translation>반경 늘리기</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Pictures to open.</source>
        <translation>열 이미지 파일.</translation>
    </message>
</context>
</TS>
