# The Qt window: the form, the control layer behind the service operations,
# the settings at start and close, the workers. The HTML view is a module of
# its own, loaded on first use, so the program does not pay for the web engine
# at every start.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets)
find_package(Qt6 6.4 QUIET COMPONENTS WebEngineWidgets)

add_library(mailvane_window STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/CommandQueue.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DataDirectory.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HtmlViewHost.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/MailListModel.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/MainForm.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ProgramStart.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/WindowBackend.cpp)
target_include_directories(mailvane_window PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(mailvane_window PUBLIC Qt6::Widgets mailvane_service mailvane_profile
  mailvane_web mailvane_text Threads::Threads)

if(TARGET Qt6::WebEngineWidgets)
  add_library(mailvane_htmlview MODULE ${CMAKE_CURRENT_SOURCE_DIR}/HtmlViewModule.cpp)
  target_include_directories(mailvane_htmlview PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(mailvane_htmlview PRIVATE Qt6::WebEngineWidgets Qt6::Widgets)
  set_target_properties(mailvane_htmlview PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden)
  # Found beside the executable, or here in the build tree.
  target_compile_definitions(mailvane_window PRIVATE
    MAILVANE_HTMLVIEW_BUILD_PATH="$<TARGET_FILE:mailvane_htmlview>")
  add_dependencies(mailvane_window mailvane_htmlview)
else()
  message(WARNING "Qt WebEngine not found: the HTML view stays empty")
endif()

add_executable(mailvane ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(mailvane PRIVATE mailvane_window)

# A tool, not the program: grabs the window offscreen into a PNG.
add_executable(mailvane-screenshot ${CMAKE_CURRENT_SOURCE_DIR}/ScreenshotMain.cpp)
target_link_libraries(mailvane-screenshot PRIVATE mailvane_window)

if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/DemoMain.cpp AND TARGET mailvane_standin)
  add_executable(mailvane-demo ${CMAKE_CURRENT_SOURCE_DIR}/DemoMain.cpp)
  target_link_libraries(mailvane-demo PRIVATE mailvane_window mailvane_standin)
endif()
