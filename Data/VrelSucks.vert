// Scene pass: the rectangle's corners pass through. The raster is 1280 x 720 but only
// its lower-left 960 x 540 is kept and later stretched over the frame, so `screen`
// runs 0..1 across exactly that kept region.
#version 120

varying vec2 screen;

void main()
{
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
    screen = (gl_Vertex.xy + 1.0) / 1.5;
}
